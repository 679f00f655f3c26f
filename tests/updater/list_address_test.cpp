#include <gtest/gtest.h>

#include "updater/list_address.h"

namespace zt::uplift {
namespace {

const std::wstring kBuiltIn = L"http://server/soft/zentik_update_list.dat";

TEST(ListAddress, BuiltInWithoutOverride) {
    EXPECT_EQ(ChooseListAddress({}, std::nullopt, kBuiltIn), kBuiltIn);
    EXPECT_EQ(ChooseListAddress({L"/other", L"x"}, std::wstring(), kBuiltIn), kBuiltIn);
}

TEST(ListAddress, CommandLineSwitchInBothForms) {
    EXPECT_EQ(ChooseListAddress({L"/list", L"http://127.0.0.1:8080/l.dat"}, std::nullopt, kBuiltIn),
              L"http://127.0.0.1:8080/l.dat");
    EXPECT_EQ(ChooseListAddress({L"-LIST=http://127.0.0.1/l.dat"}, std::nullopt, kBuiltIn),
              L"http://127.0.0.1/l.dat");
}

TEST(ListAddress, CommandLineWinsOverEnvironment) {
    EXPECT_EQ(ChooseListAddress({L"/list", L"http://a/l"}, std::wstring(L"http://b/l"), kBuiltIn),
              L"http://a/l");
    EXPECT_EQ(ChooseListAddress({}, std::wstring(L"http://b/l"), kBuiltIn), L"http://b/l");
}

TEST(ListAddress, SwitchWithoutValueIsIgnored) {
    EXPECT_EQ(ChooseListAddress({L"/list"}, std::nullopt, kBuiltIn), kBuiltIn);
    EXPECT_EQ(ChooseListAddress({L"/list="}, std::nullopt, kBuiltIn), kBuiltIn);
    EXPECT_EQ(ChooseListAddress({L"/listing", L"http://a"}, std::nullopt, kBuiltIn), kBuiltIn);
}

} // namespace
} // namespace zt::uplift

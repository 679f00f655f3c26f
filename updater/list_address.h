#pragma once
// Where the update list comes from: the address built in, unless the command line
// ("/list ADDRESS" or "/list=ADDRESS"; "-list" works too) or the environment variable
// UPLIFT_LIST_URL names another one. The command line wins over the environment.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::uplift {

inline constexpr std::wstring_view kListAddressVariable = L"UPLIFT_LIST_URL";

// args holds the program's arguments without the program name. Empty values count as
// not given.
std::wstring ChooseListAddress(const std::vector<std::wstring>& args,
                               const std::optional<std::wstring>& environmentValue,
                               const std::wstring& builtIn);

} // namespace zt::uplift

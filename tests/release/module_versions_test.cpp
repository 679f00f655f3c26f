// Every module of the program folder carries the project's version block.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/handles.h"
#include "common/utf.h"

namespace zt {
namespace {

const std::wstring kProgramDir = L"" ZT_PROGRAM_DIR;

std::vector<std::wstring> Modules() {
    std::vector<std::wstring> paths;
    for (const wchar_t* pattern :
         {L"\\*.exe", L"\\*.dll", L"\\Plugins\\*.pzt", L"\\Plugins\\*.szt"}) {
        const std::wstring search = kProgramDir + pattern;
        const std::wstring folder = search.substr(0, search.rfind(L'\\') + 1);
        WIN32_FIND_DATAW data{};
        const UniqueFind find(::FindFirstFileW(search.c_str(), &data));
        if (!find)
            continue;
        do {
            paths.push_back(folder + data.cFileName);
        } while (::FindNextFileW(find.get(), &data));
    }
    return paths;
}

std::wstring VersionValue(const std::vector<BYTE>& block, const wchar_t* entry) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041904E3\\") + entry;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0)
        return {};
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

TEST(ModuleVersions, EveryShippedModuleHasTheProjectsVersionBlock) {
    const std::vector<std::wstring> modules = Modules();
    // The program, its two libraries, the update checker, the plug-ins and the voices.
    ASSERT_GE(modules.size(), 9u);
    const std::wstring expected = Utf8ToWide(ZT_EXPECTED_VERSION);
    for (const std::wstring& path : modules) {
        SCOPED_TRACE(WideToUtf8(path));
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
        EXPECT_EQ(VersionValue(block, L"FileVersion"), expected);
        EXPECT_EQ(VersionValue(block, L"ProductVersion"), expected);
        EXPECT_EQ(VersionValue(block, L"ProductName"), L"Zentik");
        EXPECT_FALSE(VersionValue(block, L"LegalCopyright").empty());
        EXPECT_FALSE(VersionValue(block, L"FileDescription").empty());
        const std::wstring name = path.substr(path.rfind(L'\\') + 1);
        EXPECT_EQ(VersionValue(block, L"OriginalFilename"), name);

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(
            ::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const std::wstring numbers = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                                     std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                                     std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                                     std::to_wstring(LOWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(numbers, expected);
    }
}

} // namespace
} // namespace zt

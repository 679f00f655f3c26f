// The installer in a fresh Wine prefix (install_test.sh makes one): a silent per-user
// installation, the installed clock with every shipped plug-in loaded, and a silent
// uninstallation that leaves no file behind and keeps the settings unless asked not to.

#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "common/handles.h"
#include "common/utf.h"
#include "support/zentik_process.h"
#include "zentik/ztZentikInterface.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

const std::wstring kSetup = L"" ZT_SETUP_FILE;
const std::wstring kProgramDir = L"" ZT_PROGRAM_DIR;
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zentik";

fs::path KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    if (FAILED(::SHGetKnownFolderPath(id, 0, nullptr, &path)))
        return {};
    fs::path result(path);
    ::CoTaskMemFree(path);
    return result;
}

fs::path InstallDir() {
    return KnownFolder(FOLDERID_LocalAppData) / L"Programs" / L"Zentik";
}

fs::path ShortcutDir() {
    return KnownFolder(FOLDERID_Programs) / L"Zentik";
}

bool KeyExists(const wchar_t* path) {
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(raw);
    return true;
}

// Runs a program to its end; its exit code, or -1.
long RunProgram(const fs::path& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program.wstring() + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return -1;
    const UniqueKernelHandle process(info.hProcess);
    const UniqueKernelHandle thread(info.hThread);
    if (::WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(process.get(), &code);
    return static_cast<long>(code);
}

// The plug-in files the build ships.
std::set<std::wstring> ShippedPlugins() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const UniqueFind find(::FindFirstFileW((kProgramDir + L"\\Plugins\\*.pzt").c_str(), &data));
    if (find) {
        do {
            names.insert(data.cFileName);
        } while (::FindNextFileW(find.get(), &data));
    }
    return names;
}

// The file names of the modules loaded in a process.
std::set<std::wstring> LoadedModules(DWORD processId) {
    std::set<std::wstring> names;
    const UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process)
        return names;
    HMODULE modules[512];
    DWORD bytes = 0;
    if (!::EnumProcessModulesEx(process.get(), modules, sizeof(modules), &bytes, LIST_MODULES_ALL))
        return names;
    for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
        wchar_t path[MAX_PATH] = {};
        if (::GetModuleFileNameExW(process.get(), modules[i], path, MAX_PATH))
            names.insert(fs::path(path).filename().wstring());
    }
    return names;
}

// Uninstall.exe hands its work to a copy of itself and returns at once: the copy is done
// when the folder has gone.
void UninstallAndWait(const std::wstring& arguments) {
    ASSERT_EQ(RunProgram(InstallDir() / L"Uninstall.exe", arguments), 0);
    ASSERT_TRUE(test::WaitUntil(60000, [] { return !fs::exists(InstallDir()); }))
        << "left behind: " << WideToUtf8(InstallDir().wstring());
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kSetup)) << WideToUtf8(kSetup);
        ASSERT_FALSE(fs::exists(InstallDir())) << "the prefix is not fresh";
    }
};

TEST_F(InstallTest, InstallRunAndUninstallKeepingTheSettings) {
    ASSERT_EQ(RunProgram(kSetup, L"/S"), 0);
    const fs::path dir = InstallDir();
    for (const wchar_t* file :
         {L"Zentik.exe", L"ZentikAPI.dll", L"ZentikOpt.dll", L"Uplift.exe", L"Uninstall.exe",
          L"help_zentik.chm", L"Language\\en\\help_zentik.chm", L"Language\\ru\\Zentik.ztl",
          L"Language\\en\\Zentik.ztl", L"Plugins\\Voicepack.szt", L"Plugins\\HostList.txt"})
        EXPECT_TRUE(fs::exists(dir / file)) << WideToUtf8(file);
    EXPECT_TRUE(fs::exists(ShortcutDir() / L"Zentik.lnk"));
    EXPECT_TRUE(KeyExists(kUninstallKey));

    const std::set<std::wstring> plugins = ShippedPlugins();
    ASSERT_GE(plugins.size(), 6u);
    {
        test::ZentikProcess clock;
        ASSERT_TRUE(clock.Start(L"", (dir / L"Zentik.exe").wstring()));
        ASSERT_NE(clock.WaitForWindow(30000), nullptr);
        std::set<std::wstring> loaded;
        const bool all = test::WaitUntil(30000, [&] {
            loaded = LoadedModules(clock.Id());
            return std::all_of(plugins.begin(), plugins.end(),
                               [&](const std::wstring& name) { return loaded.count(name) > 0; });
        });
        for (const std::wstring& name : plugins)
            EXPECT_TRUE(loaded.count(name)) << "not loaded: " << WideToUtf8(name);
        EXPECT_TRUE(all);
        ASSERT_TRUE(clock.Close(30000));
    }
    // The clock saved its settings when it closed.
    ASSERT_TRUE(KeyExists(ZT_REGISTRY_KEY));

    UninstallAndWait(L"/S");
    EXPECT_FALSE(fs::exists(ShortcutDir()));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(KeyExists(ZT_REGISTRY_KEY));
}

TEST_F(InstallTest, UninstallRemovesTheSettingsWhenAsked) {
    ASSERT_EQ(RunProgram(kSetup, L"/S /AUTOSTART"), 0);
    // Settings as the clock leaves them.
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, ZT_REGISTRY_KEY, L"Language", REG_SZ, L"en",
                                3 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    wchar_t run[MAX_PATH] = {};
    DWORD size = sizeof(run);
    EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Zentik",
                             RRF_RT_REG_SZ, nullptr, run, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(fs::path(run), InstallDir() / L"Zentik.exe");

    UninstallAndWait(L"/S /REMOVESETTINGS");
    EXPECT_FALSE(KeyExists(ZT_REGISTRY_KEY));
    size = sizeof(run);
    EXPECT_NE(::RegGetValueW(HKEY_CURRENT_USER,
                             L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Zentik",
                             RRF_RT_REG_SZ, nullptr, run, &size),
              ERROR_SUCCESS);
}

} // namespace
} // namespace zt

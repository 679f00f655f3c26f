// The export of the clock's settings: a registry key written to a file and read back into
// an empty key, value for value.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "common/handles.h"
#include "common/privilege.h"
#include "options/export_key.h"

namespace zt::options {
namespace {

constexpr wchar_t kRootName[] = L"HKEY_CURRENT_USER";
constexpr wchar_t kSourceKey[] = L"Software\\Ombrelt\\ZentikExportTest";
constexpr wchar_t kLoadedKey[] = L"ZentikExportTestLoaded"; // under HKEY_USERS

std::vector<uint8_t> Utf16(const std::wstring& text, bool terminated = true) {
    std::vector<uint8_t> bytes;
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminated)
        bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

UniqueKey CreateKey(HKEY parent, const wchar_t* name) {
    HKEY key = nullptr;
    EXPECT_EQ(
        ::RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    return UniqueKey(key);
}

void SetValue(HKEY key, const wchar_t* name, DWORD type, const std::vector<uint8_t>& data) {
    ASSERT_EQ(::RegSetValueExW(key, name, 0, type, data.empty() ? nullptr : data.data(),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// A settings key with every value type, names and texts that need escaping, texts the
// quoted form cannot carry, a long binary value and sub-keys, one of them empty.
void FillSourceKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSourceKey);
    const UniqueKey key = CreateKey(HKEY_CURRENT_USER, kSourceKey);
    SetValue(key.get(), L"", REG_SZ, Utf16(L"default"));
    SetValue(key.get(), L"Name \"quoted\" \\ back", REG_SZ, Utf16(L"c:\\dir\\\"file\" Дата;"));
    SetValue(key.get(), L"ClickEvents_Item0", REG_SZ, Utf16(L"ClickMainLeft=pm_TalkTime"));
    SetValue(key.get(), L"Empty", REG_SZ, Utf16(L""));
    SetValue(key.get(), L"Lines", REG_SZ, Utf16(L"one\r\ntwo"));
    SetValue(key.get(), L"Unterminated", REG_SZ, Utf16(L"ab", false));
    SetValue(key.get(), L"Expand", REG_EXPAND_SZ, Utf16(L"%TEMP%\\x"));
    SetValue(key.get(), L"Multi", REG_MULTI_SZ, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0});
    SetValue(key.get(), L"Number", REG_DWORD, {0x2A, 0x00, 0x00, 0x80});
    SetValue(key.get(), L"Big", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 0xFF});
    std::vector<uint8_t> blob(300);
    for (size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<uint8_t>(i * 7);
    SetValue(key.get(), L"Blob", REG_BINARY, blob);
    SetValue(key.get(), L"Nothing", REG_NONE, {});
    const UniqueKey speech = CreateKey(key.get(), L"Plugins\\Speech.Zentik");
    SetValue(speech.get(), L"Hourly", REG_DWORD, {1, 0, 0, 0});
    CreateKey(key.get(), L"Schemes");
}

bool ReadKey(HKEY root, const wchar_t* path, RegKeyData& data) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, path, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    const UniqueKey key(opened);
    return ReadRegKey(key.get(), path, data);
}

// Same values (name, type, bytes) and sub-keys, whatever the order.
void ExpectSameContents(RegKeyData expected, RegKeyData actual, const std::wstring& where) {
    const auto byValueName = [](const RegValueData& a, const RegValueData& b) {
        return a.name < b.name;
    };
    const auto byKeyName = [](const RegKeyData& a, const RegKeyData& b) { return a.name < b.name; };
    std::sort(expected.values.begin(), expected.values.end(), byValueName);
    std::sort(actual.values.begin(), actual.values.end(), byValueName);
    std::sort(expected.subkeys.begin(), expected.subkeys.end(), byKeyName);
    std::sort(actual.subkeys.begin(), actual.subkeys.end(), byKeyName);
    ASSERT_EQ(actual.values.size(), expected.values.size()) << ::testing::PrintToString(where);
    for (size_t i = 0; i < expected.values.size(); ++i) {
        const RegValueData& want = expected.values[i];
        const RegValueData& got = actual.values[i];
        const std::string value = ::testing::PrintToString(where + L":" + want.name);
        EXPECT_EQ(got.name, want.name) << value;
        EXPECT_EQ(got.type, want.type) << value;
        EXPECT_EQ(got.data, want.data) << value;
    }
    ASSERT_EQ(actual.subkeys.size(), expected.subkeys.size()) << ::testing::PrintToString(where);
    for (size_t i = 0; i < expected.subkeys.size(); ++i) {
        EXPECT_EQ(actual.subkeys[i].name, expected.subkeys[i].name);
        ExpectSameContents(expected.subkeys[i], actual.subkeys[i],
                           where + L"\\" + expected.subkeys[i].name);
    }
}

std::wstring TempFile(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

// Runs commandLine and waits for it; its exit code, or -1.
long RunProgram(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process))
        return -1;
    const UniqueKernelHandle processHandle(process.hProcess);
    const UniqueKernelHandle thread(process.hThread);
    if (::WaitForSingleObject(processHandle.get(), 60000) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(processHandle.get(), &code);
    return static_cast<long>(code);
}

class ExportKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillSourceKey();
        ASSERT_TRUE(ReadKey(HKEY_CURRENT_USER, kSourceKey, original_));
        ASSERT_EQ(original_.values.size(), 12u);
        path_ = TempFile(L"zt-export-test.reg");
        ::DeleteFileW(path_.c_str());
    }
    void TearDown() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kSourceKey);
        ::DeleteFileW(path_.c_str());
    }

    RegKeyData original_;
    std::wstring path_;
};

TEST_F(ExportKeyTest, TheExportedFileLoadsBackIntoAnEmptyKeyWithEveryValue) {
    // An older file of that name is replaced.
    {
        UniqueFile old(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(old);
    }
    const ExportFormat format = ExportKey(HKEY_CURRENT_USER, kRootName, kSourceKey, path_);
    ASSERT_NE(format, ExportFormat::None);
    std::wcout << L"[ INFO     ] written as "
               << (format == ExportFormat::KeyFile ? L"the registry's key file (RegSaveKeyW)"
                                                   : L"a registry file in text form")
               << std::endl;

    RegKeyData loaded;
    if (format == ExportFormat::KeyFile) {
        // A key file is read back with RegLoadKeyW, under a key of its own.
        ASSERT_TRUE(EnablePrivilege(SE_RESTORE_NAME));
        ::RegUnLoadKeyW(HKEY_USERS, kLoadedKey);
        ASSERT_EQ(::RegLoadKeyW(HKEY_USERS, kLoadedKey, path_.c_str()), ERROR_SUCCESS);
        const bool read = ReadKey(HKEY_USERS, kLoadedKey, loaded);
        EXPECT_EQ(::RegUnLoadKeyW(HKEY_USERS, kLoadedKey), ERROR_SUCCESS);
        ASSERT_TRUE(read);
    } else {
        ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kSourceKey), ERROR_SUCCESS);
        ASSERT_EQ(RunProgram(L"reg.exe import \"" + path_ + L"\""), 0);
        ASSERT_TRUE(ReadKey(HKEY_CURRENT_USER, kSourceKey, loaded));
    }
    ExpectSameContents(original_, loaded, kSourceKey);
}

TEST_F(ExportKeyTest, TheTextFormImportsBackWithRegImportAfterTheKeyWasDeleted) {
    ASSERT_TRUE(WriteRegFile(HKEY_CURRENT_USER, kRootName, kSourceKey, path_));
    ASSERT_EQ(::RegDeleteTreeW(HKEY_CURRENT_USER, kSourceKey), ERROR_SUCCESS);
    RegKeyData gone;
    ASSERT_FALSE(ReadKey(HKEY_CURRENT_USER, kSourceKey, gone));

    ASSERT_EQ(RunProgram(L"reg.exe import \"" + path_ + L"\""), 0);
    RegKeyData imported;
    ASSERT_TRUE(ReadKey(HKEY_CURRENT_USER, kSourceKey, imported));
    ExpectSameContents(original_, imported, kSourceKey);
}

} // namespace
} // namespace zt::options

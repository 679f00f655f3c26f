#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/ini_file.h"
#include "host/lang_man_intf.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

// Takes a BSTR result and frees it.
std::wstring Take(BSTR text) {
    EXPECT_NE(text, nullptr);
    std::wstring result = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    ::SysFreeString(text);
    return result;
}

// A fresh folder under the temp folder, removed at the end; its name has Cyrillic letters
// so that every path goes through the W functions.
class TempProgramFolder {
public:
    TempProgramFolder() {
        wchar_t temp[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH + 1, temp);
        path_ = fs::path(temp) /
                (L"zt_\u044F\u0437\u044B\u043A_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
                 std::to_wstring(::GetTickCount64()) + L"_" + std::to_wstring(++counter_));
        fs::create_directories(path_ / L"Language");
    }
    ~TempProgramFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    void Write(const fs::path& relative, const std::string& bytes) const {
        const fs::path file = path_ / relative;
        fs::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    std::wstring Folder() const { return path_.wstring(); }

private:
    static inline int counter_ = 0;
    fs::path path_;
};

// Owns an IztLanguageMan reference.
struct LangRef {
    explicit LangRef(IztLanguageMan* p) : ptr(p) {}
    LangRef(const LangRef&) = delete;
    LangRef& operator=(const LangRef&) = delete;
    ~LangRef() {
        if (ptr)
            ptr->Release();
    }
    IztLanguageMan* operator->() const { return ptr; }
    IztLanguageMan* ptr;
};

class LangManIntfTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_.Write(L"Language/en/Zentik.ztl",
                      "\xEF\xBB\xBF[DEFAULT]\r\nLANGUAGE=English\r\n[Menu]\r\nLockItem=Lock\r\n"
                      "[Error]\r\nSetupPlg=Install %s?\\nSure?\r\n");
        folder_.Write(
            L"Language/ru/Zentik.ztl",
            "[DEFAULT]\r\nLANGUAGE=\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9"
            "\r\n[Menu]\r\nLockItem=\xD0\x97\xD0\xB0\xD0\xBA\xD1\x80\xD0\xB5\xD0\xBF\xD0\xB8"
            "\xD1\x82\xD1\x8C\r\nHelpItem=\xD0\xA1\xD0\xBF\xD1\x80\xD0\xB0\xD0\xB2\xD0\xBA"
            "\xD0\xB0\r\n");
    }
    TempProgramFolder folder_;
};

TEST_F(LangManIntfTest, QueryInterfaceAndReferenceCount) {
    IztLanguageMan* man = CreateLanguageManager(folder_.Folder(), L"Language", L"en");
    ASSERT_NE(man, nullptr);
    void* object = nullptr;
    EXPECT_EQ(man->QueryInterface(IID_IztLanguageMan, &object), S_OK);
    EXPECT_EQ(object, static_cast<void*>(man));
    IUnknown* unknown = nullptr;
    EXPECT_EQ(man->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(man));
    EXPECT_EQ(man->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(man->QueryInterface(IID_IztLanguageMan, nullptr), E_POINTER);
    EXPECT_EQ(man->AddRef(), 4u);
    EXPECT_EQ(man->Release(), 3u);
    EXPECT_EQ(unknown->Release(), 2u);
    EXPECT_EQ(man->Release(), 1u);
    EXPECT_EQ(man->Release(), 0u);
}

TEST_F(LangManIntfTest, ReferencesFromManyThreads) {
    IztLanguageMan* man = CreateLanguageManager(folder_.Folder(), L"Language", L"en");
    ASSERT_NE(man, nullptr);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([man] {
            for (int i = 0; i < 5000; ++i) {
                man->AddRef();
                ZT_LANG_MODULE module = man->OpenModule(L"Zentik");
                ::SysFreeString(man->Translate(module, L"Menu=LockItem"));
                man->CloseModule(module);
                man->Release();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(man->Release(), 0u);
}

// Calls the slots of the object's table by position, as a module built elsewhere does.
TEST_F(LangManIntfTest, SlotsFollowThePublishedOrder) {
    LangRef man(CreateLanguageManager(folder_.Folder(), L"Language", L"en"));
    ASSERT_NE(man.ptr, nullptr);
    void** table = *reinterpret_cast<void***>(man.ptr);
    using GetListFn = BSTR(STDMETHODCALLTYPE*)(IztLanguageMan*, const wchar_t*);
    using SetLangFn = void(STDMETHODCALLTYPE*)(IztLanguageMan*, const wchar_t*);
    using GetLangFn = BSTR(STDMETHODCALLTYPE*)(IztLanguageMan*);
    using OpenFn = ZT_LANG_MODULE(STDMETHODCALLTYPE*)(IztLanguageMan*, const wchar_t*);
    using TranslateFn = BSTR(STDMETHODCALLTYPE*)(IztLanguageMan*, ZT_LANG_MODULE, const wchar_t*);
    using CloseFn = void(STDMETHODCALLTYPE*)(IztLanguageMan*, ZT_LANG_MODULE);
    using HoldFn = void(STDMETHODCALLTYPE*)(IztLanguageMan*);

    EXPECT_EQ(Take(reinterpret_cast<GetListFn>(table[3])(man.ptr, L"Zentik")),
              L"English=en;\u0420\u0443\u0441\u0441\u043A\u0438\u0439=ru");
    reinterpret_cast<SetLangFn>(table[4])(man.ptr, L"ru");
    EXPECT_EQ(Take(reinterpret_cast<GetLangFn>(table[5])(man.ptr)), L"ru");
    ZT_LANG_MODULE module = reinterpret_cast<OpenFn>(table[6])(man.ptr, L"Zentik");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Take(reinterpret_cast<TranslateFn>(table[7])(man.ptr, module, L"Menu=HelpItem")),
              L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430");
    reinterpret_cast<HoldFn>(table[9])(man.ptr);
    reinterpret_cast<CloseFn>(table[8])(man.ptr, module);
    // Held: the unused module stays, so the handle still translates.
    EXPECT_EQ(Take(man->Translate(module, L"Menu=HelpItem")),
              L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430");
    reinterpret_cast<HoldFn>(table[10])(man.ptr);
    EXPECT_EQ(Take(man->Translate(module, L"Menu=HelpItem")), L"");
}

TEST_F(LangManIntfTest, TranslateReturnsTextWithLineBreaks) {
    LangRef man(CreateLanguageManager(folder_.Folder(), L"Language", L"en"));
    ZT_LANG_MODULE module = man->OpenModule(L"Zentik");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Take(man->Translate(module, L"Error=SetupPlg")), L"Install %s?\r\nSure?");
    EXPECT_EQ(Take(man->Translate(module, L"Menu=LockItem")), L"Lock");
    EXPECT_EQ(Take(man->Translate(module, L"Menu=HelpItem")),
              L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430");
    BSTR missing = man->Translate(module, L"Menu=Nowhere");
    ASSERT_NE(missing, nullptr); // an empty text, not a null
    EXPECT_EQ(::SysStringLen(missing), 0u);
    ::SysFreeString(missing);
    man->CloseModule(module);
}

TEST_F(LangManIntfTest, NullArgumentsAreHarmless) {
    LangRef man(CreateLanguageManager(folder_.Folder(), L"Language", L"de"));
    EXPECT_EQ(man->OpenModule(nullptr), nullptr);
    EXPECT_EQ(Take(man->Translate(nullptr, L"Menu=LockItem")), L"");
    EXPECT_EQ(Take(man->Translate(reinterpret_cast<ZT_LANG_MODULE>(0x1234), L"x")), L"");
    man->CloseModule(nullptr);
    man->CloseModule(reinterpret_cast<ZT_LANG_MODULE>(0x1234));
    EXPECT_EQ(Take(man->GetLanguageList(nullptr)), L"");
    ZT_LANG_MODULE module = man->OpenModule(L"Zentik");
    EXPECT_EQ(Take(man->Translate(module, nullptr)), L"");
    man->CloseModule(module);
    man->SetLanguage(nullptr); // an empty code
    EXPECT_EQ(Take(man->GetLanguage()), L"en");
}

TEST_F(LangManIntfTest, FileAccessThroughWin32) {
    WinLangFileAccess files;
    const std::wstring language = folder_.Folder() + L"\\Language\\";
    EXPECT_EQ(files.ListFolder(language), (std::vector<std::wstring>{L"en", L"ru"}));
    EXPECT_TRUE(files.ListFolder(folder_.Folder() + L"\\none\\").empty());
    EXPECT_FALSE(files.FileExists(language + L"en"));
    EXPECT_EQ(files.ReadFile(language + L"en\\Other.ztl"), std::nullopt);
}

// The INI reader must read files as GetPrivateProfileStringW does.
TEST(IniAgreesWithWindows, LookUpRules) {
    TempProgramFolder folder;
    const std::string text = "top=0\r\n"
                             "[Menu]\r\n"
                             "  LockItem = Lock it  \r\n"
                             "lockitem=second\r\n"
                             "Quoted=\"quoted value\"\r\n"
                             "Single='single'\r\n"
                             "Mixed=\"mixed'\r\n"
                             "Inline=a ; b\r\n"
                             "Eq=a=b\r\n"
                             "Empty=\r\n"
                             ";Comment=hidden\r\n"
                             "Bare\r\n"
                             "\t Tabbed\t=\tx\t\r\n"
                             "[Other]\r\n"
                             "k=1\r\n"
                             "[MENU]\r\n"
                             "Later=shadowed\r\n";
    folder.Write(L"test.ini", text);
    const std::wstring path = folder.Folder() + L"\\test.ini";
    const IniFile ini = IniFile::FromBytes(text);
    const std::pair<const wchar_t*, const wchar_t*> lookups[] = {
        {L"Menu", L"LockItem"}, {L"menu", L"LOCKITEM"}, {L"Menu", L"Quoted"},
        {L"Menu", L"Single"},   {L"Menu", L"Mixed"},    {L"Menu", L"Inline"},
        {L"Menu", L"Eq"},       {L"Menu", L"Empty"},    {L"Menu", L"Comment"},
        {L"Menu", L"Bare"},     {L"Menu", L"Tabbed"},   {L" Menu ", L" Tabbed "},
        {L"Other", L"k"},       {L"Menu", L"Later"},    {L"Menu", L"k"},
        {L"None", L"k"},        {L"Menu", L"None"},
    };
    const wchar_t kMissing[] = L"\x15\x03T";
    for (const auto& [section, ident] : lookups) {
        wchar_t buffer[256] = {};
        ::GetPrivateProfileStringW(section, ident, kMissing, buffer, 256, path.c_str());
        const std::wstring windows = buffer;
        const std::optional<std::wstring> ours = ini.Find(section, ident);
        EXPECT_EQ(ours.value_or(kMissing), windows)
            << "[" << std::string(section, section + wcslen(section)) << "] "
            << std::string(ident, ident + wcslen(ident));
    }
}

TEST(IniAgreesWithWindows, Code1251) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char in = static_cast<char>(byte);
        wchar_t out[2] = {};
        ASSERT_EQ(::MultiByteToWideChar(1251, 0, &in, 1, out, 2), 1);
        EXPECT_EQ(DecodeWindows1251(std::string(1, in)), std::wstring(1, out[0])) << byte;
    }
}

} // namespace
} // namespace zt

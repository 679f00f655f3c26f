#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "common/utf.h"
#include "host/ini_file.h"
#include "host/lang_man.h"

namespace zt {
namespace {

namespace fs = std::filesystem;

std::wstring Wide(const fs::path& path) {
#ifdef _WIN32
    return path.wstring();
#else
    return Utf8ToWide(path.string());
#endif
}

// --- pure helpers --------------------------------------------------------------------

TEST(LangKey, SplitsAtTheFirstEquals) {
    EXPECT_EQ(SplitLangKey(L"Menu=LockItem"),
              std::make_pair(std::wstring(L"Menu"), std::wstring(L"LockItem")));
    EXPECT_EQ(SplitLangKey(L"A=B=C"), std::make_pair(std::wstring(L"A"), std::wstring(L"B=C")));
    EXPECT_EQ(SplitLangKey(L"=x"), std::make_pair(std::wstring(), std::wstring(L"x")));
    EXPECT_EQ(SplitLangKey(L"Menu="), std::make_pair(std::wstring(L"Menu"), std::wstring()));
}

TEST(LangKey, WithoutEqualsTheSectionIsDefault) {
    EXPECT_EQ(SplitLangKey(L"LANGUAGE"),
              std::make_pair(std::wstring(L"DEFAULT"), std::wstring(L"LANGUAGE")));
    EXPECT_EQ(SplitLangKey(L""), std::make_pair(std::wstring(L"DEFAULT"), std::wstring()));
}

TEST(LangLineBreaks, BackslashNBecomesCrLf) {
    EXPECT_EQ(ExpandLineBreaks(L"one\\ntwo"), L"one\r\ntwo");
    EXPECT_EQ(ExpandLineBreaks(L"\\nstart end\\n"), L"\r\nstart end\r\n");
    EXPECT_EQ(ExpandLineBreaks(L"a\\n\\nb"), L"a\r\n\r\nb");
}

TEST(LangLineBreaks, EscapedBackslashKeepsTheText) {
    EXPECT_EQ(ExpandLineBreaks(L"C:\\\\new"), L"C:\\\\new");
    EXPECT_EQ(ExpandLineBreaks(L"x\\\\\\ny"), L"x\\\\\\ny");
    EXPECT_EQ(ExpandLineBreaks(L"no escape\\"), L"no escape\\");
    EXPECT_EQ(ExpandLineBreaks(L"\\t\\N"), L"\\t\\N");
}

TEST(LangFilePathTest, JoinsTheFourPartsWithBackslashes) {
    EXPECT_EQ(LangFilePath(L"C:\\Zentik", L"Language", L"en", L"Zentik"),
              L"C:\\Zentik\\Language\\en\\Zentik.ztl");
    EXPECT_EQ(LangFilePath(L"C:\\Zentik", L"Language", L"", L"Speech.Zentik"),
              L"C:\\Zentik\\Language\\\\Speech.Zentik.ztl");
}

// --- the manager on real folders -----------------------------------------------------

class LangManTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        root_ = fs::temp_directory_path() /
                ("zt_lang_" + std::to_string(random()) + "_" +
                 std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(root_ / "Language");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void Write(const fs::path& relative, const std::string& bytes) {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    void WriteLang(const std::string& code, const std::string& module, const std::string& bytes) {
        Write(fs::path("Language") / code / (module + ".ztl"), bytes);
    }
    std::wstring Root() const { return Wide(root_); }
    std::unique_ptr<TLangMan> Make(std::wstring_view code) {
        return std::make_unique<TLangMan>(Root(), L"Language", code,
                                          std::make_shared<PortableLangFileAccess>());
    }
    // Open, translate, close: what a one-shot caller does.
    static std::wstring Text(TLangMan& man, std::wstring_view module, std::wstring_view key) {
        const LangModuleHandle handle = man.OpenModule(module);
        std::wstring text = man.Translate(handle, key);
        man.CloseModule(handle);
        return text;
    }

    void WriteEnRuZentik() {
        WriteLang("en", "Zentik",
                  "[DEFAULT]\nLANGUAGE=English\nOk=OK\n[Menu]\nLockItem=Lock\nEmpty=\n"
                  "[Error]\nSetupPlg=Install %s?\\nThe file is copied.\nPath=C:\\\\new\n");
        WriteLang("ru", "Zentik",
                  "[DEFAULT]\nLANGUAGE=\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9\n"
                  "[Menu]\nLockItem=ru-lock\nHelpItem=ru-help\nEmpty=ru-empty\n");
    }

    fs::path root_;
};

TEST_F(LangManTest, KeyChoosesSectionAndIdent) {
    WriteEnRuZentik();
    auto man = Make(L"en");
    EXPECT_EQ(Text(*man, L"Zentik", L"Menu=LockItem"), L"Lock");
    EXPECT_EQ(Text(*man, L"Zentik", L"menu=lockitem"), L"Lock");
    EXPECT_EQ(Text(*man, L"Zentik", L"LANGUAGE"), L"English");
    EXPECT_EQ(Text(*man, L"Zentik", L"Ok"), L"OK");
    // "LockItem" alone is looked up in DEFAULT, where it is missing in both languages.
    EXPECT_EQ(Text(*man, L"Zentik", L"LockItem"), L"");
}

TEST_F(LangManTest, LineBreaksAreExpandedInTranslations) {
    WriteEnRuZentik();
    auto man = Make(L"en");
    EXPECT_EQ(Text(*man, L"Zentik", L"Error=SetupPlg"), L"Install %s?\r\nThe file is copied.");
    EXPECT_EQ(Text(*man, L"Zentik", L"Error=Path"), L"C:\\\\new");
}

TEST_F(LangManTest, MissingKeysComeFromRussianPerKey) {
    WriteEnRuZentik();
    auto man = Make(L"en");
    const LangModuleHandle handle = man->OpenModule(L"Zentik");
    EXPECT_EQ(man->Translate(handle, L"Menu=HelpItem"), L"ru-help");
    EXPECT_EQ(man->Translate(handle, L"Menu=LockItem"), L"Lock");
    // An empty value is a value: no fallback.
    EXPECT_EQ(man->Translate(handle, L"Menu=Empty"), L"");
    EXPECT_EQ(man->Translate(handle, L"Menu=Nowhere"), L"");
    man->CloseModule(handle);
}

TEST_F(LangManTest, MissingFilesGiveRussianThenEmptyText) {
    WriteLang("ru", "OnlyRu", "[DEFAULT]\nCaption=ru-caption\n");
    auto man = Make(L"en");
    EXPECT_EQ(Text(*man, L"OnlyRu", L"Caption"), L"ru-caption");
    EXPECT_EQ(Text(*man, L"Nothing.Zentik", L"Caption"), L"");
    EXPECT_NE(man->OpenModule(L"Nothing.Zentik"), 0u);
}

TEST_F(LangManTest, EmptyStartCodeReadsRussian) {
    WriteEnRuZentik();
    auto man = Make(L"");
    EXPECT_EQ(man->GetLanguage(), L"");
    EXPECT_EQ(Text(*man, L"Zentik", L"Menu=LockItem"), L"ru-lock");
}

TEST_F(LangManTest, SwitchingLanguageRepointsOpenModules) {
    WriteEnRuZentik();
    WriteLang("de", "Zentik", "[Menu]\nLockItem=Sperren\n");
    WriteLang("en", "Plug.Zentik", "[DEFAULT]\nCaption=en-plug\n");
    WriteLang("ru", "Plug.Zentik", "[DEFAULT]\nCaption=ru-plug\n");
    auto man = Make(L"en");
    const LangModuleHandle zentik = man->OpenModule(L"Zentik");
    const LangModuleHandle plug = man->OpenModule(L"Plug.Zentik");
    EXPECT_EQ(man->Translate(zentik, L"Menu=LockItem"), L"Lock");
    EXPECT_EQ(man->Translate(plug, L"Caption"), L"en-plug");

    man->SetLanguage(L"de");
    EXPECT_EQ(man->GetLanguage(), L"de");
    EXPECT_EQ(man->Translate(zentik, L"Menu=LockItem"), L"Sperren");
    // Missing in "de": the key, and the whole file of the plug-in.
    EXPECT_EQ(man->Translate(zentik, L"Menu=HelpItem"), L"ru-help");
    EXPECT_EQ(man->Translate(plug, L"Caption"), L"ru-plug");

    man->SetLanguage(L"en");
    EXPECT_EQ(man->Translate(plug, L"Caption"), L"en-plug");
    man->CloseModule(zentik);
    man->CloseModule(plug);
}

TEST_F(LangManTest, SameCodeDoesNotReread) {
    WriteLang("en", "M", "[DEFAULT]\nk=old\n");
    auto man = Make(L"en");
    const LangModuleHandle handle = man->OpenModule(L"M");
    WriteLang("en", "M", "[DEFAULT]\nk=new\n");
    man->SetLanguage(L"en");
    EXPECT_EQ(man->Translate(handle, L"k"), L"old");
    man->SetLanguage(L"de");
    man->SetLanguage(L"en");
    EXPECT_EQ(man->Translate(handle, L"k"), L"new");
    man->CloseModule(handle);
}

TEST_F(LangManTest, CodesAreCutAndEmptyMeansEnglish) {
    EXPECT_EQ(Make(L"russian")->GetLanguage(), L"rus");
    auto man = Make(L"de");
    man->SetLanguage(L"");
    EXPECT_EQ(man->GetLanguage(), L"en");
    man->SetLanguage(L"deutsch");
    EXPECT_EQ(man->GetLanguage(), L"deu");

    auto empty = Make(L"");
    empty->SetLanguage(L"");
    EXPECT_EQ(empty->GetLanguage(), L"");

    WriteLang("eng", "M", "[DEFAULT]\nk=three letters\n");
    man->SetLanguage(L"english");
    EXPECT_EQ(Text(*man, L"M", L"k"), L"three letters");
}

TEST_F(LangManTest, ProgramFolderMayEndWithSeparator) {
    WriteEnRuZentik();
    TLangMan man(Root() + L"/", L"Language", L"en", std::make_shared<PortableLangFileAccess>());
    EXPECT_EQ(Text(man, L"Zentik", L"Menu=LockItem"), L"Lock");
}

TEST_F(LangManTest, FilesMayBeUtf8WithBomOr1251) {
    WriteLang("en", "Bom", "\xEF\xBB\xBF[DEFAULT]\nk=\xD0\x94\xD0\xB0\n");
    WriteLang("ru", "Ansi", "[DEFAULT]\nk=\xC4\xE0 \xB8\xEB\xEA\xE0\n");
    auto man = Make(L"en");
    EXPECT_EQ(Text(*man, L"Bom", L"k"), L"\u0414\u0430");
    EXPECT_EQ(Text(*man, L"Ansi", L"k"), L"\u0414\u0430 \u0451\u043B\u043A\u0430");
}

TEST_F(LangManTest, LanguageListPairsDisplayNamesWithCodes) {
    WriteEnRuZentik();
    WriteLang("de", "Other", "[DEFAULT]\nLANGUAGE=Deutsch\n");
    WriteLang("xx", "Zentik", "[Menu]\nLockItem=no name\n");
    // Files that "." and ".." would reach, and a plain file among the folders.
    Write(fs::path("Language") / "Zentik.ztl", "[DEFAULT]\nLANGUAGE=Dot\n");
    Write("Zentik.ztl", "[DEFAULT]\nLANGUAGE=DotDot\n");
    Write(fs::path("Language") / "readme.txt", "text");
    auto man = Make(L"en");
    EXPECT_EQ(man->GetLanguageList(L"Zentik"),
              L"English=en;\u0420\u0443\u0441\u0441\u043A\u0438\u0439=ru;=xx");
    EXPECT_EQ(man->GetLanguageList(L"Other"), L"Deutsch=de");
    EXPECT_EQ(man->GetLanguageList(L"Absent"), L"");
    TLangMan none(Root() + L"/none", L"Language", L"en",
                  std::make_shared<PortableLangFileAccess>());
    EXPECT_EQ(none.GetLanguageList(L"Zentik"), L"");
}

// --- module life cycle ---------------------------------------------------------------

TEST_F(LangManTest, ModulesAreSharedByCaseSensitiveName) {
    WriteEnRuZentik();
    auto man = Make(L"en");
    const LangModuleHandle a = man->OpenModule(L"Zentik");
    const LangModuleHandle b = man->OpenModule(L"Zentik");
    const LangModuleHandle c = man->OpenModule(L"zentik");
    EXPECT_NE(a, 0u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(man->ModuleCount(), 2u);
}

TEST_F(LangManTest, WithoutHoldAClosedModuleIsFreedByTheNextPurge) {
    auto man = Make(L"en");
    const LangModuleHandle a = man->OpenModule(L"A");
    man->CloseModule(a);
    EXPECT_EQ(man->ModuleCount(), 1u); // purge runs before the close
    man->CloseModule(man->OpenModule(L"B"));
    EXPECT_EQ(man->ModuleCount(), 1u); // A went, B waits for the next purge
    EXPECT_EQ(man->Translate(a, L"k"), L"");
    EXPECT_NE(man->OpenModule(L"A"), a); // a new module, a new handle
}

TEST_F(LangManTest, HoldKeepsUnusedModulesUntilTheLastRelease) {
    auto man = Make(L"en");
    man->Hold();
    man->Hold();
    EXPECT_EQ(man->HoldCount(), 2);
    man->CloseModule(man->OpenModule(L"A"));
    man->CloseModule(man->OpenModule(L"B"));
    const LangModuleHandle used = man->OpenModule(L"C");
    EXPECT_EQ(man->ModuleCount(), 3u);
    man->Release();
    EXPECT_EQ(man->ModuleCount(), 3u);
    man->Release();
    EXPECT_EQ(man->HoldCount(), 0);
    EXPECT_EQ(man->ModuleCount(), 1u); // C is still in use
    EXPECT_NE(man->OpenModule(L"C"), 0u);
    EXPECT_EQ(man->OpenModule(L"C"), used);
}

TEST_F(LangManTest, ReleaseWithoutHoldDoesNotGoBelowZero) {
    auto man = Make(L"en");
    man->Release();
    man->Release();
    EXPECT_EQ(man->HoldCount(), 0);
    man->Hold();
    man->CloseModule(man->OpenModule(L"A"));
    man->CloseModule(man->OpenModule(L"B"));
    EXPECT_EQ(man->ModuleCount(), 2u);
}

TEST_F(LangManTest, SetLanguagePurgesWhenNotHeld) {
    auto man = Make(L"en");
    man->CloseModule(man->OpenModule(L"A"));
    const LangModuleHandle b = man->OpenModule(L"B");
    man->SetLanguage(L"de");
    EXPECT_EQ(man->ModuleCount(), 1u);
    man->Hold();
    man->CloseModule(b);
    man->SetLanguage(L"ru");
    EXPECT_EQ(man->ModuleCount(), 1u);
}

TEST_F(LangManTest, UnknownAndRepeatedClosesChangeNothing) {
    WriteEnRuZentik();
    auto man = Make(L"en");
    EXPECT_EQ(man->Translate(0, L"Menu=LockItem"), L"");
    EXPECT_EQ(man->Translate(12345, L"Menu=LockItem"), L"");
    man->CloseModule(0);
    man->CloseModule(12345);

    man->Hold();
    const LangModuleHandle a = man->OpenModule(L"Zentik");
    man->CloseModule(a);
    man->CloseModule(a); // one close too many must not leave A with -1 users
    man->Release();
    EXPECT_EQ(man->ModuleCount(), 0u);
    EXPECT_EQ(man->Translate(a, L"Menu=LockItem"), L"");
}

// --- file access and threads ---------------------------------------------------------

// In-memory files; counts reads and can run code while a file is being read.
class MemoryFiles final : public LangFileAccess {
public:
    std::optional<std::string> ReadFile(const std::wstring& path) override {
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> guard(lock_);
            ++reads_[path];
            hook = onRead;
        }
        if (hook)
            hook();
        std::lock_guard<std::mutex> guard(lock_);
        const auto it = files.find(path);
        if (it == files.end())
            return std::nullopt;
        return it->second;
    }
    bool FileExists(const std::wstring& path) override {
        std::lock_guard<std::mutex> guard(lock_);
        return files.count(path) != 0;
    }
    std::vector<std::wstring> ListFolder(const std::wstring& folder) override {
        std::lock_guard<std::mutex> guard(lock_);
        std::set<std::wstring> names;
        for (const auto& [path, bytes] : files) {
            if (path.compare(0, folder.size(), folder) == 0)
                names.insert(
                    path.substr(folder.size(), path.find(L'\\', folder.size()) - folder.size()));
        }
        return {names.begin(), names.end()};
    }
    int Reads(const std::wstring& path) {
        std::lock_guard<std::mutex> guard(lock_);
        return reads_[path];
    }

    std::map<std::wstring, std::string> files;
    std::function<void()> onRead;

private:
    std::mutex lock_;
    std::map<std::wstring, int> reads_;
};

TEST(LangManFiles, FallbackFileIsReadOnceAndOnlyWhenNeeded) {
    auto files = std::make_shared<MemoryFiles>();
    files->files[L"P\\Language\\en\\M.ztl"] = "[DEFAULT]\nhere=1\n";
    files->files[L"P\\Language\\ru\\M.ztl"] = "[DEFAULT]\nthere=2\n";
    TLangMan man(L"P", L"Language", L"en", files);
    const LangModuleHandle handle = man.OpenModule(L"M");
    EXPECT_EQ(man.Translate(handle, L"here"), L"1");
    EXPECT_EQ(files->Reads(L"P\\Language\\ru\\M.ztl"), 0);
    EXPECT_EQ(man.Translate(handle, L"there"), L"2");
    EXPECT_EQ(man.Translate(handle, L"none"), L"");
    EXPECT_EQ(files->Reads(L"P\\Language\\ru\\M.ztl"), 1);
    EXPECT_EQ(man.OpenModule(L"M"), handle);
    EXPECT_EQ(files->Reads(L"P\\Language\\en\\M.ztl"), 1);
}

TEST(LangManFiles, LanguageListSkipsDotEntries) {
    // Windows lists "." and ".." among the folders; they are no languages.
    class DotFiles final : public LangFileAccess {
    public:
        std::optional<std::string> ReadFile(const std::wstring&) override {
            return "[DEFAULT]\nLANGUAGE=Name\n";
        }
        bool FileExists(const std::wstring&) override { return true; }
        std::vector<std::wstring> ListFolder(const std::wstring&) override {
            return {L".", L"..", L"ru", L"en"};
        }
    };
    TLangMan man(L"P", L"Language", L"en", std::make_shared<DotFiles>());
    EXPECT_EQ(man.GetLanguageList(L"M"), L"Name=en;Name=ru");
}

TEST(LangManFiles, LockIsNotHeldWhileReadingFiles) {
    auto files = std::make_shared<MemoryFiles>();
    files->files[L"P\\Language\\en\\M.ztl"] = "[DEFAULT]\nk=v\n";
    TLangMan man(L"P", L"Language", L"en", files);
    std::vector<std::thread> others;
    int blocked = 0;
    files->onRead = [&] {
        // Another thread must get through the manager while this one reads.
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> finished = done->get_future();
        others.emplace_back([&man, done] {
            man.GetLanguage();
            done->set_value();
        });
        if (finished.wait_for(std::chrono::seconds(30)) != std::future_status::ready)
            ++blocked;
    };
    const LangModuleHandle handle = man.OpenModule(L"M");
    EXPECT_EQ(man.Translate(handle, L"missing"), L"");
    man.SetLanguage(L"de");
    EXPECT_EQ(man.GetLanguageList(L"M"), L"=en");
    files->onRead = nullptr;
    for (std::thread& other : others)
        other.join();
    EXPECT_EQ(blocked, 0);
    EXPECT_EQ(others.size(), 4u); // module, fallback, re-pointed module, list entry
}

TEST(LangManFiles, ConcurrentUseWhileTheLanguageChanges) {
    auto files = std::make_shared<MemoryFiles>();
    for (const wchar_t* module : {L"A", L"B", L"C"}) {
        files->files[std::wstring(L"P\\Language\\en\\") + module + L".ztl"] = "[S]\nk=en\n";
        files->files[std::wstring(L"P\\Language\\de\\") + module + L".ztl"] = "[S]\nk=de\n";
        files->files[std::wstring(L"P\\Language\\ru\\") + module + L".ztl"] = "[S]\nonly=ru\n";
    }
    TLangMan man(L"P", L"Language", L"en", files);
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> users;
    for (int t = 0; t < 3; ++t) {
        users.emplace_back([&, t] {
            const std::wstring name(1, static_cast<wchar_t>(L'A' + t));
            for (int i = 0; i < 1000; ++i) {
                const LangModuleHandle handle = man.OpenModule(name);
                const std::wstring text = man.Translate(handle, L"S=k");
                if ((text != L"en" && text != L"de") || man.Translate(handle, L"S=only") != L"ru")
                    ++wrong;
                man.CloseModule(handle);
                if (i % 50 == 0) {
                    man.Hold();
                    man.Release();
                }
            }
        });
    }
    std::thread switcher([&] {
        for (int i = 0; !stop.load(); ++i)
            man.SetLanguage(i % 2 ? L"en" : L"de");
    });
    for (std::thread& user : users)
        user.join();
    stop = true;
    switcher.join();
    EXPECT_EQ(wrong.load(), 0);
    man.SetLanguage(L"de");
    const LangModuleHandle handle = man.OpenModule(L"A");
    EXPECT_EQ(man.Translate(handle, L"S=k"), L"de");
}

// --- the shipped language files ------------------------------------------------------

IniFile ShippedFile(const std::string& code) {
    const fs::path path = fs::path(ZT_LANG_BIN_DIR) / code / "Zentik.ztl";
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path.string();
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_TRUE(IsValidUtf8(bytes)) << path.string();
    return IniFile::FromBytes(bytes);
}

std::set<std::wstring> KeySet(const IniFile& file) {
    std::set<std::wstring> keys;
    for (const auto& [section, ident] : file.Keys())
        keys.insert(section + L"=" + ident);
    return keys;
}

TEST(ShippedLanguages, RussianAndEnglishDefineTheSameKeys) {
    const std::set<std::wstring> ru = KeySet(ShippedFile("ru"));
    const std::set<std::wstring> en = KeySet(ShippedFile("en"));
    EXPECT_FALSE(ru.empty());
    for (const std::wstring& key : ru)
        EXPECT_TRUE(en.count(key)) << "missing in en: " << WideToUtf8(key);
    for (const std::wstring& key : en)
        EXPECT_TRUE(ru.count(key)) << "missing in ru: " << WideToUtf8(key);
}

TEST(ShippedLanguages, EveryKeyTheClockUsesHasText) {
    const std::vector<std::wstring> keys = {L"LANGUAGE",
                                            L"Error=SetupPlg",
                                            L"Error=SetupPlgError",
                                            L"Menu=AlwaysOnTop",
                                            L"Menu=HideItem",
                                            L"Menu=LockItem",
                                            L"Menu=PluginsItems",
                                            L"Menu=ConfigItems",
                                            L"Menu=AlarmClockItem",
                                            L"Menu=AboutItem",
                                            L"Menu=HelpItem",
                                            L"Menu=ClockDown",
                                            L"Menu=CloseClock",
                                            L"CMND_DISCR=zt_ShowHideClock",
                                            L"CMND_DISCR=zt_CloseZentik",
                                            L"CMND_DISCR=zt_ShowZentikOptions"};
    TLangMan man(Wide(fs::path(ZT_LANG_BIN_DIR).parent_path()), L"Language", L"en",
                 std::make_shared<PortableLangFileAccess>());
    for (const wchar_t* code : {L"en", L"ru"}) {
        const IniFile file = ShippedFile(WideToUtf8(code));
        for (const std::wstring& key : keys) {
            const auto [section, ident] = SplitLangKey(key);
            EXPECT_FALSE(file.ReadString(section, ident, L"").empty())
                << WideToUtf8(code) << ": " << WideToUtf8(key);
        }
        // The install question is a format with exactly one %s and no other directive.
        const std::wstring question = file.ReadString(L"Error", L"SetupPlg", L"");
        EXPECT_EQ(question.find(L'%'), question.find(L"%s")) << WideToUtf8(code);
        EXPECT_EQ(question.find(L'%', question.find(L"%s") + 1), std::wstring::npos);
    }
    const std::wstring list = man.GetLanguageList(L"Zentik");
    EXPECT_NE(list.find(L"English=en"), std::wstring::npos) << WideToUtf8(list);
    EXPECT_NE(list.find(L"\u0420\u0443\u0441\u0441\u043A\u0438\u0439=ru"), std::wstring::npos)
        << WideToUtf8(list);
}

} // namespace
} // namespace zt

// A language file (.ztl) of arbitrary bytes, read as the language manager reads it: decoded,
// parsed as INI, and every key it defines translated through an open module.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf.h"
#include "fuzz/fuzz_check.h"
#include "host/ini_file.h"
#include "host/lang_man.h"

namespace {

// Every file of the language folder "en" holds the fuzzed bytes (the fallback language too).
class BytesFileAccess final : public zt::LangFileAccess {
public:
    explicit BytesFileAccess(std::string bytes) : bytes_(std::move(bytes)) {}
    std::optional<std::string> ReadFile(const std::wstring&) override { return bytes_; }
    bool FileExists(const std::wstring&) override { return true; }
    std::vector<std::wstring> ListFolder(const std::wstring&) override { return {L"en"}; }

private:
    std::string bytes_;
};

void CheckDecoding(std::string_view bytes, const std::wstring& text) {
    std::string_view body = bytes;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    if (zt::IsValidUtf8(body))
        ZT_FUZZ_CHECK(zt::WideToUtf8(text) == body);
    else
        ZT_FUZZ_CHECK(text.size() == body.size()); // Windows-1251: one character per byte
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring text = zt::DecodeTextFile(bytes);
    CheckDecoding(bytes, text);

    const zt::IniFile file = zt::IniFile::FromBytes(bytes);
    zt::TLangMan languages(L"C:\\Zentik", L"Language", L"en",
                           std::make_shared<BytesFileAccess>(bytes));
    const zt::LangModuleHandle module = languages.OpenModule(L"Zentik");
    ZT_FUZZ_CHECK(module != 0);

    for (const auto& [section, ident] : file.Keys()) {
        // Names and values are single lines; an ident stops at the first '='.
        ZT_FUZZ_CHECK(ident.find(L'=') == std::wstring::npos);
        ZT_FUZZ_CHECK(ident.find(L'\n') == std::wstring::npos);
        ZT_FUZZ_CHECK(section.find(L'\n') == std::wstring::npos);
        const std::optional<std::wstring> value = file.Find(section, ident);
        ZT_FUZZ_CHECK(value.has_value());
        ZT_FUZZ_CHECK(value->find(L'\n') == std::wstring::npos);
        // A section name with '=' cannot be addressed by a "section=ident" key.
        if (section.find(L'=') == std::wstring::npos)
            ZT_FUZZ_CHECK(languages.Translate(module, section + L"=" + ident) ==
                          zt::ExpandLineBreaks(*value));
    }

    const std::wstring list = languages.GetLanguageList(L"Zentik");
    ZT_FUZZ_CHECK(list == file.ReadString(L"DEFAULT", L"LANGUAGE", L"") + L"=en");
    languages.CloseModule(module);
    languages.Release();
    ZT_FUZZ_CHECK(languages.ModuleCount() == 0);
    return 0;
}

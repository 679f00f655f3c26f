// The update list of arbitrary bytes, read as Uplift reads it: decoded, split into lines,
// each line parsed into its fields, and each address turned into a download file name.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/utf.h"
#include "fuzz/fuzz_check.h"
#include "updater/download_name.h"
#include "updater/update_list.h"

namespace {

using namespace zt::uplift;

// Line breaks as LF, less one final break: what the lines joined with LF must give back.
std::wstring NormalisedLines(std::wstring_view text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r') {
            out += L'\n';
            if (i + 1 < text.size() && text[i + 1] == L'\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && out.back() == L'\n')
        out.pop_back();
    return out;
}

void CheckLine(const std::wstring& line) {
    ZT_FUZZ_CHECK(line.find_first_of(L"\r\n") == std::wstring::npos);
    const UpdateItem item = ParseUpdateLine(line);

    // Fields are taken in order up to a bar each; the line is them joined by those bars.
    const std::array<const std::wstring*, 3> fields = {&item.name, &item.version, &item.size};
    const auto bars = std::min<std::size_t>(
        3, static_cast<std::size_t>(std::count(line.begin(), line.end(), L'|')));
    std::wstring rebuilt;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k < bars) {
            ZT_FUZZ_CHECK(fields[k]->find(L'|') == std::wstring::npos);
            rebuilt += *fields[k] + L"|";
        } else {
            ZT_FUZZ_CHECK(fields[k]->empty());
        }
    }
    ZT_FUZZ_CHECK(rebuilt + item.address == line);

    // A name that passes the check is one plain file inside the download folder.
    const std::wstring name = FileNameFromAddress(item.address);
    ZT_FUZZ_CHECK(std::wstring_view(item.address).ends_with(name));
    if (CheckFileName(name).Ok()) {
        ZT_FUZZ_CHECK(!name.empty() && name != L"." && name != L"..");
        ZT_FUZZ_CHECK(name.find_first_of(L"/\\:") == std::wstring::npos);
        ZT_FUZZ_CHECK(std::none_of(name.begin(), name.end(), [](wchar_t c) { return c < 32; }));
        ZT_FUZZ_CHECK(name.back() != L'.' && name.back() != L' ');
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::wstring text;
    if (const std::optional<std::wstring> utf8 = DecodeUtf8Text(bytes)) {
        ZT_FUZZ_CHECK(zt::WideToUtf8(*utf8) ==
                      (bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes));
        text = *utf8;
    } else {
        ZT_FUZZ_CHECK(!zt::IsValidUtf8(bytes));
        for (const char c : bytes) // a stand-in for the ANSI code page: one character a byte
            text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }

    const auto lines = SplitLines(text);
    std::wstring joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            joined += L'\n';
        joined += lines[i];
        CheckLine(lines[i]);
    }
    ZT_FUZZ_CHECK(joined == NormalisedLines(text));
    return 0;
}

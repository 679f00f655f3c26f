#pragma once
// Texts at interface boundaries: null-safe views of incoming texts and BSTRs going out.

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <string>
#include <string_view>

namespace zt {

// A null text counts as empty.
inline std::wstring_view TextView(const wchar_t* text) noexcept {
    return text ? std::wstring_view(text) : std::wstring_view();
}

// A new BSTR holding text; null when it is too long for a BSTR or memory ran out.
BSTR ToBstr(std::wstring_view text) noexcept;

struct BstrFree {
    void operator()(BSTR text) const noexcept { ::SysFreeString(text); }
};
using UniqueBstr = std::unique_ptr<OLECHAR, BstrFree>;

// The text of a BSTR received from an interface (null counts as empty); frees the BSTR.
std::wstring TakeBstr(BSTR text);

} // namespace zt

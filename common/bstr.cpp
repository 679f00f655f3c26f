#include "common/bstr.h"

#include <limits>

namespace zt {

BSTR ToBstr(std::wstring_view text) noexcept {
    if (text.size() > std::numeric_limits<UINT>::max())
        return nullptr;
    return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

std::wstring TakeBstr(BSTR text) {
    const UniqueBstr owner(text);
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

} // namespace zt

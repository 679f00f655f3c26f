#include "options/page_texts.h"

#include <string>

#include "options/setup_host.h"

namespace zt::options {

void TranslateControls(HWND page, const TztSetupHost& host,
                       std::span<const TztControlName> controls) {
    zt::TranslateControls(page, controls, [&host](const std::wstring& name) {
        return host.Text((L"SETUP=" + name).c_str());
    });
}

} // namespace zt::options

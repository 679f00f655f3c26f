#include "options/page_about.h"

#include <vector>

#include "common/component_name.h"
#include "common/format_text.h"
#include "common/module_window_class.h"
#include "options/page_about_resource.h"
#include "options/page_texts.h"
#include "options/pages.h"
#include "options/setup_host.h"

namespace zt::options {
namespace {

constexpr TztControlName kControls[] = {
    {IDC_ABOUT_ICON, L"imgAbout"},      {IDC_ABOUT_PRODUCT, L"lblProductName"},
    {IDC_ABOUT_VERSION, L"lblVersion"}, {IDC_ABOUT_LEGAL, L"lblLegalCopyright"},
    {IDC_ABOUT_COMMENT, L"lblComment"},
};

std::wstring ProgramFile() {
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

} // namespace

std::wstring VersionText(const std::wstring& path, const wchar_t* entry) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return {};
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data()))
        return {};
    const std::wstring query = std::wstring(L"\\StringFileInfo\\041904E3\\") + entry;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0)
        return {};
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0')
        text.pop_back();
    return text;
}

std::unique_ptr<TztSetupPage> CreatePageAbout(TztSetupHost& host) {
    return std::make_unique<TztPageAbout>(host);
}

bool TztPageAbout::Create(HWND parent) {
    if (!CreateModeless(CurrentModule(), IDD_PAGE_ABOUT, parent))
        return false;
    SetComponentName(Window(), L"pnlAbout");
    NameControls(Window(), kControls);
    return true;
}

void TztPageAbout::Translate() {
    TranslateControls(Window(), host_, kControls);
    ::SetDlgItemTextW(Window(), IDC_ABOUT_COMMENT, host_.Text(L"MISC=AboutComent").c_str());
}

void TztPageAbout::Fill() {
    const std::wstring program = ProgramFile();
    ::SetDlgItemTextW(Window(), IDC_ABOUT_PRODUCT, VersionText(program, L"ProductName").c_str());
    const std::wstring version =
        FormatText(host_.Text(L"MISC=AboutVersion"), {VersionText(program, L"FileVersion")});
    ::SetDlgItemTextW(Window(), IDC_ABOUT_VERSION, version.c_str());
    ::SetDlgItemTextW(Window(), IDC_ABOUT_LEGAL, VersionText(program, L"LegalCopyright").c_str());
    // The program's icon, when it has one.
    if (HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), L"MAINICON"))
        ::SendDlgItemMessageW(Window(), IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon),
                              0);
}

} // namespace zt::options

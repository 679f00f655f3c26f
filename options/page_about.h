#pragma once
// TztPageAbout, the "About" page (panel "pnlAbout"): the product name, "Version " with
// the file version and the legal notice from the main program's version block (string
// table "\StringFileInfo\041904E3"), and the comment "MISC=AboutComent".

#include <windows.h>

#include <memory>
#include <string>

#include "common/window_impl.h"
#include "options/setup_page.h"

namespace zt::options {

class TztSetupHost;

// One entry of the Russian (code page 1251) string table of the version block of the
// file at path; empty when it has none.
std::wstring VersionText(const std::wstring& path, const wchar_t* entry);

class TztPageAbout final : public TztSetupPage, public DialogImpl<TztPageAbout> {
public:
    explicit TztPageAbout(TztSetupHost& host) : host_(host) {}

    const wchar_t* Name() const override { return L"About"; }
    bool Create(HWND parent) override;
    HWND Panel() const override { return Window(); }
    void Translate() override;
    void Fill() override;

private:
    friend class DialogImpl<TztPageAbout>;
    INT_PTR HandleMessage(UINT, WPARAM, LPARAM) { return FALSE; }

    TztSetupHost& host_;
};

} // namespace zt::options

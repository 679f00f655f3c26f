#pragma once
// The editors of the system commands: modal dialogs of this library, owned by the clock
// window, without OK or Cancel: closing one (its close box, Esc or Enter) accepts what it
// shows. Captions come from the plug-in's language texts by component name. GUI thread only.
//
//   TfrmCfg     two fields with a browse button (ZT_ExecuteApp, ZT_ShowMessage)
//   TfrmShDwn   the shut-down flags (ZT_ShutDownWin)
//   TfrmFlash   count and period (ZT_FlashClock)
//   TfrmDoCmnd  a command and a title condition (ZT_DoCommand)

#include <windows.h>

#include <functional>
#include <string>

#include "common/command_box.h"
#include "common/window_impl.h"
#include "sysact_params.h"
#include "zentik/ztCmnd.h"

namespace zt {

// The text of a language key of the plug-in (empty when missing).
using SysactText = std::function<std::wstring(const std::wstring& key)>;

class TfrmCfg final : public DialogImpl<TfrmCfg> {
public:
    // The language keys of the dialog's texts; the browse button stands beside the first
    // field or the second, and its file filter is "name|mask|name|mask...".
    struct Form {
        const wchar_t* titleKey;
        const wchar_t* label1Key;
        const wchar_t* label2Key;
        bool browseFirst;
        std::wstring filter;
    };

    TfrmCfg(SysactText text, Form form, std::wstring first, std::wstring second);
    // Modal; afterwards First and Second hold what the fields showed when it closed.
    void Run(HWND owner);

    const std::wstring& First() const noexcept { return first_; }
    const std::wstring& Second() const noexcept { return second_; }

private:
    friend class DialogImpl<TfrmCfg>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void Browse(int editId);
    void Close();

    SysactText text_;
    Form form_;
    std::wstring first_;
    std::wstring second_;
};

class TfrmShDwn final : public DialogImpl<TfrmShDwn> {
public:
    TfrmShDwn(SysactText text, ShutdownChoice choice);
    void Run(HWND owner);
    const ShutdownChoice& Choice() const noexcept { return choice_; }

private:
    friend class DialogImpl<TfrmShDwn>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void ShowStates();

    SysactText text_;
    ShutdownChoice choice_;
};

class TfrmFlash final : public DialogImpl<TfrmFlash> {
public:
    TfrmFlash(SysactText text, FlashParams params);
    void Run(HWND owner);
    const FlashParams& Params() const noexcept { return params_; }

private:
    friend class DialogImpl<TfrmFlash>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void Close();

    SysactText text_;
    FlashParams params_;
};

class TfrmDoCmnd final : public DialogImpl<TfrmDoCmnd> {
public:
    // cmnd fills the command box (may be null).
    TfrmDoCmnd(SysactText text, IztCmnd* cmnd, DoCommandChoice choice, std::wstring command);
    void Run(HWND owner);
    const DoCommandChoice& Choice() const noexcept { return choice_; }
    const std::wstring& Command() const noexcept { return command_; }

private:
    friend class DialogImpl<TfrmDoCmnd>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void FillTitles();
    void Close();

    SysactText text_;
    IztCmnd* cmnd_;
    DoCommandChoice choice_;
    std::wstring command_;
    TztCommandBox commandBox_;
};

} // namespace zt

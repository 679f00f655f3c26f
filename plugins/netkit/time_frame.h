#pragma once
// TFTimeSync: the Netkit plug-in's frame on the time page of the options dialog. A child
// dialog (component "FTimeSync") aligned to the bottom of the page panel "pnlTime", with
// one button btnSynch that runs a synchronisation and shows its status in a message box
// (empty caption, OK). The window belongs to the panel; the object's destructor destroys
// it when it is still there. GUI thread only.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "common/window_impl.h"

namespace zt {

struct TimeFrameContext {
    // A text of the plug-in's language (empty when missing).
    std::function<std::wstring(const std::wstring& key)> text;
    // btnSynch: one run; the status text to show.
    std::function<std::wstring()> synchronize;
};

class TFTimeSync final : public DialogImpl<TFTimeSync> {
public:
    explicit TFTimeSync(TimeFrameContext context);
    ~TFTimeSync();

    // Creates the frame at the bottom of the panel "pnlTime" of the setup dialog; false,
    // and no frame, without the panel.
    bool Attach(HWND setupDialog);

private:
    friend class DialogImpl<TFTimeSync>;

    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    TimeFrameContext context_;
};

// The frame for a setup dialog, or null when it has no time panel or attaching failed.
std::unique_ptr<TFTimeSync> AttachTimeFrame(HWND setupDialog, TimeFrameContext context) noexcept;

} // namespace zt

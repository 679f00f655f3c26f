#include "time_frame.h"

#include <utility>

#include "common/component_name.h"
#include "common/control_texts.h"
#include "common/diag_log.h"
#include "common/message_box.h"
#include "common/module_window_class.h"
#include "netkit_page_resource.h"

namespace zt {
namespace {

constexpr TztControlName kControls[] = {{IDC_FRAME_SYNCH, L"btnSynch"}};

} // namespace

TFTimeSync::TFTimeSync(TimeFrameContext context) : context_(std::move(context)) {}

TFTimeSync::~TFTimeSync() {
    DestroyWindowNow();
}

bool TFTimeSync::Attach(HWND setupDialog) {
    HWND panel = setupDialog ? FindComponent(setupDialog, L"pnlTime") : nullptr;
    if (!panel || !CreateModeless(CurrentModule(), IDD_NETKIT_TIME_FRAME, panel))
        return false;
    SetComponentName(Window(), L"FTimeSync");
    RECT area{};
    RECT frame{};
    ::GetClientRect(panel, &area);
    ::GetWindowRect(Window(), &frame);
    const int height = frame.bottom - frame.top;
    ::SetWindowPos(Window(), nullptr, 0, area.bottom - height, area.right, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(Window(), SW_SHOWNA);
    return true;
}

INT_PTR TFTimeSync::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        NameControls(Window(), kControls);
        if (context_.text)
            TranslateControls(Window(), kControls, context_.text);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FRAME_SYNCH && context_.synchronize) {
            const std::wstring status = context_.synchronize();
            ShowMessageBox(Window(), status.c_str(), L"", MB_OK);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

std::unique_ptr<TFTimeSync> AttachTimeFrame(HWND setupDialog, TimeFrameContext context) noexcept {
    try {
        auto frame = std::make_unique<TFTimeSync>(std::move(context));
        if (frame->Attach(setupDialog))
            return frame;
    } catch (...) {
        DiagLogCaught(L"Netkit time frame");
    }
    return nullptr;
}

} // namespace zt

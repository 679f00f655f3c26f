// The exports of ZentikOpt.dll over the library's one options dialog. The clock calls
// ShowSetupForm, GetNode, ActiveSetupNode and CloseSetupForm; the host API's AddSetupPage
// calls GetNode, ActiveSetupNode and AddPluginMenuNode. Main thread only; nothing throws
// out of them.

#include <windows.h>

#include <memory>

#include "common/guarded.h"
#include "options/setup_form.h"

namespace zt::options {
namespace {

std::unique_ptr<TfrmSetup> gSetup;

} // namespace

TfrmSetup* CurrentSetupForm() noexcept {
    return gSetup.get();
}

} // namespace zt::options

using zt::Guarded;
using zt::options::gSetup;

// The dialog (its window handle), shown and brought to the front; created when there is
// none. Null when it could not be created, or while a closed dialog waits to be destroyed.
extern "C" void* __stdcall ShowSetupForm() {
    return Guarded<void*>(nullptr, []() -> void* {
        if (gSetup) {
            if (gSetup->Closed() || !gSetup->Window())
                return nullptr;
            gSetup->ShowAgain();
            return gSetup->Window();
        }
        // Set before it is filled: plug-ins add their pages while it is being created.
        gSetup = std::make_unique<zt::options::TfrmSetup>();
        if (!gSetup->Create()) {
            gSetup.reset();
            return nullptr;
        }
        return gSetup->Window();
    });
}

// Destroys the dialog (an open one cancels first); always null.
extern "C" void* __stdcall CloseSetupForm() {
    zt::Guarded([] { gSetup.reset(); });
    return nullptr;
}

extern "C" void* __stdcall GetNode(const wchar_t* name) {
    return Guarded<void*>(nullptr, [name]() -> void* {
        return gSetup ? static_cast<void*>(gSetup->Node(name)) : nullptr;
    });
}

extern "C" void __stdcall ActiveSetupNode(void* node) {
    Guarded([node] {
        if (gSetup)
            gSetup->SelectNode(static_cast<HTREEITEM>(node));
    });
}

extern "C" BOOL __stdcall AddPluginMenuNode(const wchar_t* caption, const wchar_t* name,
                                            void** node, HWND page) {
    return Guarded<BOOL>(FALSE, [&]() -> BOOL {
        HTREEITEM item = nullptr;
        if (!gSetup || !node || !gSetup->AddPluginPage(caption, name, &item, page))
            return FALSE;
        *node = item;
        return TRUE;
    });
}

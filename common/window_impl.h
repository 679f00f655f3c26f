#pragma once
// Bases for the windows and dialogs of a module.
//
// A window class T derives from WindowImpl<T>, names its class with
//     static ModuleWindowClass::Fields WindowClass();   // the procedure field is ignored
// handles its messages in
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
// (returning DefaultHandling(...) for what it leaves alone) and creates its window with
// CreateWindowOf. A dialog class T derives from DialogImpl<T>, handles its messages in
//     INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
// (FALSE for what it leaves alone; WM_INITDIALOG arrives there too) and is created from a
// DIALOGEX template of the module with CreateModeless or RunModal. Both may be private
// when T declares "friend class WindowImpl<T>;" (DialogImpl<T>).
//
// The base attaches the object at WM_NCCREATE (WM_INITDIALOG), detaches it at
// WM_NCDESTROY, owns the window handle and runs every message inside one catch-all that
// writes to the diagnostic log; a message that threw gets the default handling. Messages
// sent before WM_NCCREATE (WM_INITDIALOG) and WM_NCDESTROY itself do not reach T. A
// window's object pointer sits in the class's extra bytes after T's own windowExtra, so
// GWLP_USERDATA stays free; a dialog's sits in DWLP_USER.
//
// A class that wants to see WM_DESTROY of its own window calls DestroyWindowNow in its
// destructor; the base's destructor destroys a window that is still there without
// dispatching to the (already destroyed) derived object. T may define
// "void OnFinalMessage()", called once the window is gone (T may delete itself there).
// Window() is the handle from WM_NCCREATE (WM_INITDIALOG) until WM_NCDESTROY. GUI thread
// only.

#include <windows.h>

#include "common/diag_log.h"
#include "common/handles.h"
#include "common/module_window_class.h"

namespace zt {

template <class T> class WindowImpl {
public:
    WindowImpl(const WindowImpl&) = delete;
    WindowImpl& operator=(const WindowImpl&) = delete;

    HWND Window() const noexcept { return window_.get(); }

protected:
    WindowImpl() noexcept = default;
    ~WindowImpl() { DetachAndDestroy(); }

    // Creates the window of T's class (registered for this module on first use) with
    // this object attached; false on failure. True at once when the window exists.
    bool CreateWindowOf(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width,
                        int height, HWND parent, HMENU menu = nullptr) noexcept {
        if (window_)
            return true;
        ModuleWindowClass& windowClass = Class();
        const ATOM atom = windowClass.Get();
        if (atom == 0)
            return false;
        // WM_NCCREATE stores the handle in window_.
        if (!::CreateWindowExW(exStyle, MAKEINTATOM(atom), title, style, x, y, width, height,
                               parent, menu, windowClass.Instance(), static_cast<T*>(this)))
            window_.release(); // a failed creation leaves no window behind
        return static_cast<bool>(window_);
    }

    // Destroys the window now, every message up to WM_NCDESTROY still reaching T.
    void DestroyWindowNow() noexcept {
        if (window_)
            ::DestroyWindow(window_.get());
    }

    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return ::DefWindowProcW(window_.get(), message, wParam, lParam);
    }

    // The module T's window class is registered for.
    static HINSTANCE ClassInstance() noexcept { return Class().Instance(); }

private:
    static ModuleWindowClass& Class() noexcept {
        static ModuleWindowClass windowClass([] {
            ModuleWindowClass::Fields fields = T::WindowClass();
            fields.procedure = &WindowImpl::Procedure;
            fields.windowExtra += static_cast<int>(sizeof(LONG_PTR));
            return fields;
        }());
        return windowClass;
    }

    // The extra-bytes offset of the object pointer.
    static int Slot() noexcept {
        return Class().WindowExtra() - static_cast<int>(sizeof(LONG_PTR));
    }

    void DetachAndDestroy() noexcept {
        if (HWND window = window_.get()) {
            ::SetWindowLongPtrW(window, Slot(), 0);
            window_.reset();
        }
    }

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        T* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<T*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
            if (self) {
                ::SetWindowLongPtrW(window, Slot(), reinterpret_cast<LONG_PTR>(self));
                self->window_.reset(window);
            }
        } else {
            self = reinterpret_cast<T*>(::GetWindowLongPtrW(window, Slot()));
        }
        if (!self)
            return ::DefWindowProcW(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, Slot(), 0);
            self->window_.release();
            if constexpr (requires { self->OnFinalMessage(); }) {
                try {
                    self->OnFinalMessage();
                } catch (...) {
                    DiagLogCaught(Class().Name());
                }
            }
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        try {
            // T may be gone when this returns: nothing of it is touched afterwards.
            return self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            DiagLogCaught(Class().Name());
            return message == WM_NCCREATE ? FALSE
                                          : ::DefWindowProcW(window, message, wParam, lParam);
        }
    }

    UniqueWindow window_;
};

template <class T> class DialogImpl {
public:
    DialogImpl(const DialogImpl&) = delete;
    DialogImpl& operator=(const DialogImpl&) = delete;

    HWND Window() const noexcept { return window_.get(); }

protected:
    DialogImpl() noexcept = default;
    ~DialogImpl() { DetachAndDestroy(); }

    // A modeless dialog from template id of module instance (normally CurrentModule());
    // false when it could not be created. True at once when the dialog exists.
    bool CreateModeless(HINSTANCE instance, int id, HWND parent) noexcept {
        if (window_)
            return true;
        if (!::CreateDialogParamW(instance, MAKEINTRESOURCEW(id), parent, &DialogImpl::Procedure,
                                  reinterpret_cast<LPARAM>(static_cast<T*>(this))))
            window_.release(); // a failed creation leaves no window behind
        return static_cast<bool>(window_);
    }

    // A modal dialog; the value given to EndDialog, or -1 when it could not be shown.
    INT_PTR RunModal(HINSTANCE instance, int id, HWND parent) noexcept {
        return ::DialogBoxParamW(instance, MAKEINTRESOURCEW(id), parent, &DialogImpl::Procedure,
                                 reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    // Destroys a modeless dialog now, every message up to WM_NCDESTROY still reaching T.
    void DestroyWindowNow() noexcept {
        if (window_)
            ::DestroyWindow(window_.get());
    }

private:
    void DetachAndDestroy() noexcept {
        if (HWND window = window_.get()) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            window_.reset();
        }
    }

    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        T* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<T*>(lParam);
            if (self) {
                ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
                self->window_.reset(window);
            }
        } else {
            self = reinterpret_cast<T*>(::GetWindowLongPtrW(window, DWLP_USER));
        }
        if (!self)
            return FALSE;
        if (message == WM_NCDESTROY) {
            ::SetWindowLongPtrW(window, DWLP_USER, 0);
            self->window_.release();
            if constexpr (requires { self->OnFinalMessage(); }) {
                try {
                    self->OnFinalMessage();
                } catch (...) {
                    DiagLogCaught(L"dialog destroyed");
                }
            }
            return FALSE;
        }
        try {
            // T may be gone when this returns: nothing of it is touched afterwards.
            return self->HandleMessage(message, wParam, lParam);
        } catch (...) {
            DiagLogCaught(L"dialog procedure");
            return FALSE;
        }
    }

    UniqueWindow window_;
};

} // namespace zt

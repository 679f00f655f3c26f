#pragma once
// The clock's icon in the notification area.

#include <windows.h>

#include <string>

namespace zt {

class TrayIcon {
public:
    // Messages of the icon arrive at window as callbackMessage (lParam: the mouse message).
    void Attach(HWND window, UINT callbackMessage, HICON icon);
    ~TrayIcon();

    bool Active() const { return active_; }
    void SetActive(bool value);
    void SetHint(const std::wstring& hint);
    // Adds the icon again after the taskbar was re-created.
    void Recreate();

private:
    bool Add();
    void Remove();

    HWND window_ = nullptr;
    UINT message_ = 0;
    HICON icon_ = nullptr;
    std::wstring hint_;
    bool active_ = false;
};

} // namespace zt

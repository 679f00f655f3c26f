#include "host/tray_icon.h"

#include <shellapi.h>

#include <cwchar>

namespace zt {

namespace {

constexpr UINT kIconId = 1;

NOTIFYICONDATAW IconData(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kIconId;
    return data;
}

} // namespace

void TrayIcon::Attach(HWND window, UINT callbackMessage, HICON icon) {
    window_ = window;
    message_ = callbackMessage;
    icon_ = icon;
}

TrayIcon::~TrayIcon() {
    Remove();
}

bool TrayIcon::Add() {
    NOTIFYICONDATAW data = IconData(window_);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = message_;
    data.hIcon = icon_;
    wcsncpy(data.szTip, hint_.c_str(), ARRAYSIZE(data.szTip) - 1);
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void TrayIcon::Remove() {
    if (!active_ || !window_)
        return;
    NOTIFYICONDATAW data = IconData(window_);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcon::SetActive(bool value) {
    if (value == active_ || !window_)
        return;
    if (value) {
        Add();
        active_ = true;
    } else {
        Remove();
        active_ = false;
    }
}

void TrayIcon::SetHint(const std::wstring& hint) {
    hint_ = hint;
    if (!active_)
        return;
    NOTIFYICONDATAW data = IconData(window_);
    data.uFlags = NIF_TIP;
    wcsncpy(data.szTip, hint_.c_str(), ARRAYSIZE(data.szTip) - 1);
    ::Shell_NotifyIconW(NIM_MODIFY, &data);
}

void TrayIcon::Recreate() {
    if (!active_)
        return;
    Remove();
    Add();
}

} // namespace zt

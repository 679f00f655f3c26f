#pragma once
// Move-only owners for Win32 handles.

#include <windows.h>

#include <utility>

namespace zt {

template <typename T, typename Traits> class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(T value) noexcept : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }
    T release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(T value = Traits::invalid()) noexcept {
        T old = std::exchange(value_, value);
        if (old != Traits::invalid())
            Traits::close(old);
    }

private:
    T value_ = Traits::invalid();
};

#define ZT_HANDLE_TRAITS(Name, Type, Invalid, Close)                                               \
    struct Name {                                                                                  \
        static Type invalid() noexcept { return Invalid; }                                         \
        static void close(Type h) noexcept { Close; }                                              \
    }

ZT_HANDLE_TRAITS(KernelHandleTraits, HANDLE, nullptr, ::CloseHandle(h));
ZT_HANDLE_TRAITS(FileHandleTraits, HANDLE, INVALID_HANDLE_VALUE, ::CloseHandle(h));
ZT_HANDLE_TRAITS(KeyTraits, HKEY, nullptr, ::RegCloseKey(h));
ZT_HANDLE_TRAITS(ModuleTraits, HMODULE, nullptr, ::FreeLibrary(h));
ZT_HANDLE_TRAITS(WindowTraits, HWND, nullptr, ::DestroyWindow(h));
ZT_HANDLE_TRAITS(GdiTraits, HGDIOBJ, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(BrushTraits, HBRUSH, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(PenTraits, HPEN, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(BitmapTraits, HBITMAP, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(FontTraits, HFONT, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(RegionTraits, HRGN, nullptr, ::DeleteObject(h));
ZT_HANDLE_TRAITS(MemoryDcTraits, HDC, nullptr, ::DeleteDC(h));
ZT_HANDLE_TRAITS(IconTraits, HICON, nullptr, ::DestroyIcon(h));
ZT_HANDLE_TRAITS(MenuTraits, HMENU, nullptr, ::DestroyMenu(h));
ZT_HANDLE_TRAITS(FindTraits, HANDLE, INVALID_HANDLE_VALUE, ::FindClose(h));

#undef ZT_HANDLE_TRAITS

using UniqueKernelHandle = UniqueHandle<HANDLE, KernelHandleTraits>;
using UniqueEvent = UniqueKernelHandle;
using UniqueThread = UniqueKernelHandle;
using UniqueMutex = UniqueKernelHandle;
using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
using UniqueKey = UniqueHandle<HKEY, KeyTraits>;
using UniqueModule = UniqueHandle<HMODULE, ModuleTraits>;
using UniqueWindow = UniqueHandle<HWND, WindowTraits>;
using UniqueBrush = UniqueHandle<HBRUSH, BrushTraits>;
using UniquePen = UniqueHandle<HPEN, PenTraits>;
using UniqueBitmap = UniqueHandle<HBITMAP, BitmapTraits>;
using UniqueFont = UniqueHandle<HFONT, FontTraits>;
using UniqueRegion = UniqueHandle<HRGN, RegionTraits>;
using UniqueMemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using UniqueIcon = UniqueHandle<HICON, IconTraits>;
using UniqueMenu = UniqueHandle<HMENU, MenuTraits>;
// A FindFirstFileW search.
using UniqueFind = UniqueHandle<HANDLE, FindTraits>;

// A DC from GetDC, released with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) noexcept : window_(window), dc_(::GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint pair.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window) {
        dc_ = ::BeginPaint(window, &ps_);
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { ::EndPaint(window_, &ps_); }
    HDC dc() const noexcept { return dc_; }
    const RECT& area() const noexcept { return ps_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT ps_{};
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(::SelectObject(dc, object)) {}
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ~ScopedSelect() {
        if (old_ && old_ != HGDI_ERROR)
            ::SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

} // namespace zt

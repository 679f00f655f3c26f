#pragma once
// Helpers for the display tests: a memory canvas whose pixels can be read back, and
// the GDI headroom measure used to show that a code path leaks no GDI object.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/handles.h"

namespace zt::testing {

// A 32-bit top-down DIB section selected into a memory DC.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<const std::uint32_t*>(bits);
        dc_.reset(::CreateCompatibleDC(nullptr));
        old_ = ::SelectObject(dc_.get(), bitmap_.get());
        Fill(fill);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() { ::SelectObject(dc_.get(), old_); }

    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

    void Fill(COLORREF color) {
        UniqueBrush brush(::CreateSolidBrush(color));
        const RECT all{0, 0, width_, height_};
        ::FillRect(dc_.get(), &all, brush.get());
    }

    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        const std::uint32_t p = bits_[static_cast<std::size_t>(y) * width_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    // True when every pixel of [left, right) x [top, bottom) has the colour.
    bool AreaIs(int left, int top, int right, int bottom, COLORREF color) const {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (Pixel(x, y) != color)
                    return false;
        return true;
    }

    int Count(int left, int top, int right, int bottom, COLORREF color) const {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += Pixel(x, y) == color ? 1 : 0;
        return count;
    }

private:
    int width_;
    int height_;
    UniqueBitmap bitmap_;
    UniqueMemoryDc dc_;
    HGDIOBJ old_ = nullptr;
    const std::uint32_t* bits_ = nullptr;
};

// How many pens can still be created (up to cap); all are deleted again.
inline int PenHeadroom(int cap = 200000) {
    std::vector<HPEN> pens;
    pens.reserve(static_cast<std::size_t>(cap));
    while (static_cast<int>(pens.size()) < cap) {
        HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
        if (!pen)
            break;
        pens.push_back(pen);
    }
    for (HPEN pen : pens)
        ::DeleteObject(pen);
    return static_cast<int>(pens.size());
}

} // namespace zt::testing

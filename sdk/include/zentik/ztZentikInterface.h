#pragma once
// Interfaces through which plug-ins reach the clock's objects. COM-style: every
// interface derives from IUnknown, uses the standard calling convention and keeps the
// operation order below. Text goes in as const wchar_t* and comes out as a BSTR that
// the caller frees with SysFreeString. No exception crosses these calls.

#include <windows.h>
#include <unknwn.h>

// A date-time value: days since 30 December 1899, the fraction is the time of day.
typedef double ZT_DATETIME;
// A colour: 0x00BBGGRR, or a system colour (0xFF0000nn, nn the system colour index).
typedef int ZT_COLOR;

// {F43D3D89-FCD6-4D28-AECB-985B9918090F}
inline constexpr IID IID_ICustomZentik = {
    0xF43D3D89, 0xFCD6, 0x4D28, {0xAE, 0xCB, 0x98, 0x5B, 0x99, 0x18, 0x09, 0x0F}};

// The clock engine.
struct ICustomZentik : public IUnknown {
    virtual void STDMETHODCALLTYPE SetAlarmTime(ZT_DATETIME value) = 0;
    virtual ZT_DATETIME STDMETHODCALLTYPE GetAlarmTime() = 0;
    virtual WORD STDMETHODCALLTYPE SetFastTact() = 0;
    virtual WORD STDMETHODCALLTYPE SetNormalTact() = 0;
    virtual WORD STDMETHODCALLTYPE SetSlowTact() = 0;
    virtual void STDMETHODCALLTYPE Refresh() = 0;
    virtual void STDMETHODCALLTYPE SetTextSuspended(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetTextSuspended() = 0;
    virtual void STDMETHODCALLTYPE SetTact(WORD value) = 0;
    virtual WORD STDMETHODCALLTYPE GetTact() = 0;
    virtual BOOL STDMETHODCALLTYPE IsAlarmTime(ZT_DATETIME value) = 0;
    virtual BYTE STDMETHODCALLTYPE GetAlarmPart(int index) = 0;
    // S_OK, or E_INVALIDARG when the resulting time is not a valid time of day.
    virtual HRESULT STDMETHODCALLTYPE SetAlarmPart(int index, BYTE value) = 0;
    virtual BSTR STDMETHODCALLTYPE GetCustomFormat() = 0;
    virtual void STDMETHODCALLTYPE SetCustomFormat(const wchar_t* value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetUseCustomFormat() = 0;
    virtual void STDMETHODCALLTYPE SetUseCustomFormat(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetShowSeconds() = 0;
    virtual void STDMETHODCALLTYPE SetShowSeconds(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetSecondFlash() = 0;
    virtual void STDMETHODCALLTYPE SetSecondFlash(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetAlarmEnabled() = 0;
    virtual void STDMETHODCALLTYPE SetAlarmEnabled(BOOL value) = 0;
};

// A timer callback: data is what was handed in with the callback, sender the timer.
struct IztTimer;
typedef void(STDMETHODCALLTYPE* ZT_TIMER_PROC)(void* data, IztTimer* sender);
struct ZT_TIMER_EVENT {
    ZT_TIMER_PROC code; // null: no callback
    void* data;
};

// {F65A3339-9BC6-43CE-9504-BF497CCD341C}
inline constexpr IID IID_IztTimer = {
    0xF65A3339, 0x9BC6, 0x43CE, {0x95, 0x04, 0xBF, 0x49, 0x7C, 0xCD, 0x34, 0x1C}};

// A GUI-thread timer; the last Release stops and destroys it.
struct IztTimer : public IUnknown {
    virtual void STDMETHODCALLTYPE SetEnabled(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetEnabled() = 0;
    virtual void STDMETHODCALLTYPE SetInterval(int milliseconds) = 0;
    virtual int STDMETHODCALLTYPE GetInterval() = 0;
    virtual void STDMETHODCALLTYPE SetOnTimer(ZT_TIMER_EVENT event) = 0;
    virtual void STDMETHODCALLTYPE GetOnTimer(ZT_TIMER_EVENT* event) = 0;
    virtual void STDMETHODCALLTYPE SetOneShot(BOOL value) = 0;
    virtual BOOL STDMETHODCALLTYPE GetOneShot() = 0;
};

// {FDD4BA0E-7AA0-4C59-B689-B351044CD2E2}
inline constexpr IID IID_IztLCDPanel = {
    0xFDD4BA0E, 0x7AA0, 0x4C59, {0xB6, 0x89, 0xB3, 0x51, 0x04, 0x4C, 0xD2, 0xE2}};

// The clock's LCD panel. Kinds of GetValue/SetValue: 0 row width, 1 row height,
// 2 left, 3 top, 4 glyph width, 5 glyph height, 6 Horzsize, 7 Thickness, 8 Vertsize,
// 9 BorderWidth, 10 BorderColor, 11 ActiveColor, 12 InActiveColor, 13 Color.
struct IztLCDPanel : public IUnknown {
    virtual BOOL STDMETHODCALLTYPE GetAutoSize() = 0;
    virtual void STDMETHODCALLTYPE SetAutoSize(BOOL value) = 0;
    virtual WORD STDMETHODCALLTYPE GetBorderWidth() = 0;
    virtual void STDMETHODCALLTYPE SetBorderWidth(WORD value) = 0;
    virtual ZT_COLOR STDMETHODCALLTYPE GetBorderColor() = 0;
    virtual void STDMETHODCALLTYPE SetBorderColor(ZT_COLOR value) = 0;
    virtual HWND STDMETHODCALLTYPE GetHandle() = 0;
    virtual void STDMETHODCALLTYPE Rebuild() = 0;
    virtual int STDMETHODCALLTYPE GetValue(BYTE kind) = 0;
    virtual void STDMETHODCALLTYPE SetValue(BYTE kind, int value) = 0;
    virtual BSTR STDMETHODCALLTYPE GetText() = 0;
    virtual void STDMETHODCALLTYPE SetText(const wchar_t* value) = 0;
};

// Called for each character before it is drawn: the inner display control, the
// 1-based position in the text, and the segment code, which the hook may change.
typedef void(STDMETHODCALLTYPE* ZT_CHAR_HOOK)(IUnknown* control, int position, WORD* code);
// Paints one character into the glyph bitmap instead of the segments: the panel, the
// 0-based character index, the segment code and the glyph bitmap.
typedef void(STDMETHODCALLTYPE* ZT_DRAW_HOOK)(IUnknown* panel, WORD index, WORD code,
                                              HBITMAP glyph);

// {FDD95AB1-B6FD-4CB6-899D-4D8CA130C80E}
inline constexpr IID IID_IztLCDPanel_Events = {
    0xFDD95AB1, 0xB6FD, 0x4CB6, {0x89, 0x9D, 0x4D, 0x8C, 0xA1, 0x30, 0xC8, 0x0E}};

// Drawing hooks of the panel. Setting a hook does not repaint: call Rebuild after it.
struct IztLCDPanel_Events : public IUnknown {
    virtual ZT_CHAR_HOOK STDMETHODCALLTYPE GetCharHook() = 0;
    virtual void STDMETHODCALLTYPE SetCharHook(ZT_CHAR_HOOK hook) = 0;
    virtual ZT_DRAW_HOOK STDMETHODCALLTYPE GetDrawHook() = 0;
    virtual void STDMETHODCALLTYPE SetDrawHook(ZT_DRAW_HOOK hook) = 0;
};

// {BADA88CA-3E5A-4531-9F57-85063929041B}
inline constexpr IID IID_IZentik = {
    0xBADA88CA, 0x3E5A, 0x4531, {0x9F, 0x57, 0x85, 0x06, 0x39, 0x29, 0x04, 0x1B}};

// The clock window as plug-ins see it.
// GetInterface kinds: 0 the window, 1 the clock engine, 2 the LCD panel, 4 the plug-in
// manager (each as IUnknown), 3 the command registry (IztCmnd), 5 the language manager
// (IztLanguageMan), 257 a new IztTimer owned by the caller; others null.
// DoAction: 1 save settings, 2 recompute the edge flags, 3 register hot keys,
// 4 unregister hot keys, 5 restart after the options dialog closes.
// GetValue/SetValue items: 0 window handle (read only), 1 alpha (0-255), 2 transparent
// colour mode, 3 transparent colour, 4 screen snap, 5 snap distance, 6 tray icon,
// 7 always on top, 8 hide on mouse over, 9 lock, 16 application window (read only).
struct IZentik : public IUnknown {
    virtual IUnknown* STDMETHODCALLTYPE GetInterface(int kind) = 0;
    virtual void STDMETHODCALLTYPE DoAction(int action) = 0;
    virtual INT_PTR STDMETHODCALLTYPE GetValue(int item) = 0;
    virtual void STDMETHODCALLTYPE SetValue(int item, INT_PTR value) = 0;
    virtual HWND STDMETHODCALLTYPE GetHandle() = 0;
    virtual BSTR STDMETHODCALLTYPE GetAlarmCommand() = 0;
    virtual void STDMETHODCALLTYPE SetAlarmCommand(const wchar_t* value) = 0;
    virtual void STDMETHODCALLTYPE ApplyLanguage() = 0;
};

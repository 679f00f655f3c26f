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

// The clock's settings key under HKEY_CURRENT_USER; each plug-in keeps its own under
// ZT_PLUGINS_REGISTRY_KEY followed by its name.
inline constexpr wchar_t ZT_REGISTRY_KEY[] = L"Software\\Ombrelt\\Zentik";
inline constexpr wchar_t ZT_PLUGINS_REGISTRY_KEY[] = L"Software\\Ombrelt\\Zentik\\Plugins\\";

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

// Kinds of IztLCDPanel::GetValue/SetValue. Sizes are in pixels; the first four and
// lcdGlyphWidth, lcdGlyphHeight are read only (SetValue ignores them).
enum ZtPanelValue : BYTE {
    lcdRowWidth = 0,  // width of the row of character cells
    lcdRowHeight = 1, // height of a character cell
    lcdLeft = 2,      // position in the parent window
    lcdTop = 3,
    lcdGlyphWidth = 4, // one character's segments
    lcdGlyphHeight = 5,
    lcdHorzSize = 6,  // length of a horizontal segment
    lcdThickness = 7, // thickness of a segment
    lcdVertSize = 8,  // length of a vertical segment
    lcdBorderWidth = 9,
    lcdBorderColor = 10,   // ZT_COLOR
    lcdActiveColor = 11,   // lit segments (ZT_COLOR)
    lcdInactiveColor = 12, // unlit segments (ZT_COLOR)
    lcdColor = 13,         // the background (ZT_COLOR)
};

// The clock's LCD panel.
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

// Kinds of IZentik::GetInterface. Every result is an IUnknown to query for the interface
// named here; the objects of kinds 0-5 live as long as the clock window and the result
// holds no reference for the caller. Other kinds give null.
enum ZtInterfaceKind : int {
    ztiWindow = 0,      // the clock window (IZentik)
    ztiClockEngine = 1, // ICustomZentik
    ztiLCDPanel = 2,    // IztLCDPanel, IztLCDPanel_Events
    ztiCommands = 3,    // IztCmnd
    ztiPluginMan = 4,   // IztPluginMan
    ztiLanguageMan = 5, // IztLanguageMan
    ztiNewTimer = 257,  // a new IztTimer (1000 ms, no callback, not enabled) holding one
                        // reference for the caller, who releases it; create, use and
                        // release it on the GUI thread
};

// Actions of IZentik::DoAction.
enum ZtAction : int {
    ztaSaveSettings = 1,
    ztaComputeEdges = 2, // recompute the screen edges the window snaps to
    ztaRegisterHotKeys = 3,
    ztaUnregisterHotKeys = 4,
    ztaRestart = 5, // restart the clock once the options dialog has closed
};

// Items of IZentik::GetValue/SetValue. Flags are 0 or 1.
enum ZtValueItem : int {
    ztvWindowHandle = 0,     // HWND of the clock window (read only)
    ztvAlpha = 1,            // 0 (invisible) to 255 (opaque)
    ztvTransparentMode = 2,  // flag: the transparent colour lets clicks through
    ztvTransparentColor = 3, // 0x00BBGGRR
    ztvScreenSnap = 4,       // flag: snap to the screen edges
    ztvSnapDistance = 5,     // in pixels
    ztvTrayIcon = 6,         // flag
    ztvAlwaysOnTop = 7,      // flag
    ztvHideOnMouseOver = 8,  // flag
    ztvLocked = 9,           // flag: the window cannot be dragged
    ztvAppHandle = 16,       // HWND of the application window (read only)
};

// The clock window as plug-ins see it.
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

// {DB6FCE16-309D-4DF8-9F5D-30A40592C962}
inline constexpr IID IID_IztBindings = {
    0xDB6FCE16, 0x309D, 0x4DF8, {0x9F, 0x5D, 0x30, 0xA4, 0x05, 0x92, 0xC9, 0x62}};

// The clock's click and hot-key bindings, queried from IZentik: rows "name=command line"
// separated by CR LF, in table order. Setting replaces the whole table; registered hot
// keys follow at the next DoAction(ztaRegisterHotKeys).
struct IztBindings : public IUnknown {
    virtual BSTR STDMETHODCALLTYPE GetBindings() = 0;
    virtual void STDMETHODCALLTYPE SetBindings(const wchar_t* rows) = 0;
};

// {B3FB6726-1A9D-43AA-8C5A-4141DEE1B8E7}
inline constexpr IID IID_IztSystemClock = {
    0xB3FB6726, 0x1A9D, 0x43AA, {0x8C, 0x5A, 0x41, 0x41, 0xDE, 0xE1, 0xB8, 0xE7}};

// Sets the computer's clock, queried from IZentik: the one way every module changes the
// system time (the host enables the privilege it needs).
struct IztSystemClock : public IUnknown {
    // utc: the new time in UTC. S_OK, or a failure HRESULT when the system refused.
    virtual HRESULT STDMETHODCALLTYPE SetSystemTime(const SYSTEMTIME* utc) = 0;
};

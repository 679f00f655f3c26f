#pragma once
// The host API library ZentikAPI.dll: services for plug-ins and the options library.
// The clock calls InitAPI once with its IZentik; everyone else calls GetAPI.
// The returned IZentikAPI is reference counted: release it when done.

#include <windows.h>
#include <unknwn.h>

// {B7A91AD3-D12C-411C-AEE0-443B9A81A65D}
inline constexpr IID IID_IZentikAPI = {
    0xB7A91AD3, 0xD12C, 0x411C, {0xAE, 0xE0, 0x44, 0x3B, 0x9A, 0x81, 0xA6, 0x5D}};

struct IZentikAPI : public IUnknown {
    // The clock's IZentik as IUnknown (not counted; valid while the clock runs).
    virtual IUnknown* STDMETHODCALLTYPE GetZentik() = 0;
    // The value of "key=" in a "key=value;" text, trimmed; empty when absent.
    virtual BSTR STDMETHODCALLTYPE GetParam(const wchar_t* key, const wchar_t* text) = 0;
    // ShellExecute "open" of fileName with params; its result (> 32 is success).
    virtual int STDMETHODCALLTYPE ShellOpen(const wchar_t* fileName, const wchar_t* params) = 0;
    virtual int STDMETHODCALLTYPE RunShell(HWND window, const wchar_t* operation,
                                           const wchar_t* fileName, const wchar_t* params,
                                           const wchar_t* directory, int showCmd) = 0;
    // Runs "name parameter" through the clock's command registry in the calling thread.
    virtual void STDMETHODCALLTYPE ExecCommand(const wchar_t* commandLine) = 0;
    // Splits a program command line (quoted path allowed) into program and parameters;
    // both out texts are BSTRs the caller frees.
    virtual void STDMETHODCALLTYPE SplitCommandLine(const wchar_t* line, BSTR* program,
                                                    BSTR* params) = 0;
    // Puts a plug-in's settings page into the open options dialog.
    virtual BOOL STDMETHODCALLTYPE AddSetupPage(HWND page, IUnknown* plugin) = 0;
    virtual BOOL STDMETHODCALLTYPE TrimWorkingSet() = 0;
    // Show and hide animations of a window of the given size.
    virtual int STDMETHODCALLTYPE RollIn(HWND window, int width, int height) = 0;
    virtual int STDMETHODCALLTYPE RollOut(HWND window, int width, int height) = 0;
    // One text of a language module.
    virtual BSTR STDMETHODCALLTYPE GetLangText(const wchar_t* module, const wchar_t* key) = 0;
};

// ZentikAPI.dll itself is built with ZT_API_BUILD defined.
#ifdef ZT_API_BUILD
#define ZT_API_EXPORT __declspec(dllexport)
#else
#define ZT_API_EXPORT __declspec(dllimport)
#endif

extern "C" {
// Creates the API object holding host (first call with a non-null host only; later hosts
// are ignored) and returns it like GetAPI.
ZT_API_EXPORT void __stdcall InitAPI(IUnknown** api, IUnknown* host);
// The API object (counted: release it), or null before InitAPI.
ZT_API_EXPORT void __stdcall GetAPI(IUnknown** api);
}

#pragma once
// TAPI: the host API object behind IZentikAPI, the one object of ZentikAPI.dll.
//
// It wraps the clock's IZentik (kept without a reference: it is valid while the clock
// window exists) and adds services that plug-ins and the options library share. The
// object counts its references with interlocked operations and deletes itself at the
// last Release. No operation lets an exception escape; texts come back as BSTRs.

#include <windows.h>

#include "zentik/ztZentikAPI.h"

namespace zt {

// The shell call behind ShellOpen and RunShell, replaceable so that tests launch nothing.
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND window, const wchar_t* operation,
                                          const wchar_t* file, const wchar_t* params,
                                          const wchar_t* directory, INT showCmd);

// Exports of the options library ZentikOpt.dll that AddSetupPage uses; a node is opaque.
using OptGetNodeFn = void*(__stdcall*)(const wchar_t* name);
using OptActiveSetupNodeFn = void(__stdcall*)(void* node);
using OptAddPluginMenuNodeFn = BOOL(__stdcall*)(const wchar_t* caption, const wchar_t* name,
                                                void** node, HWND page);

// Pauses between animation frames, in milliseconds.
inline constexpr DWORD kRollInFrameMs = 13;
inline constexpr DWORD kRollOutFrameMs = 10;

class TAPI final : public IZentikAPI {
public:
    // Starts with one reference, owned by the caller. host may be null: the services that
    // need it then do nothing. shell null makes ShellOpen and RunShell return 0.
    explicit TAPI(IUnknown* host, ShellExecuteFn shell = DefaultShell()) noexcept;
    TAPI(const TAPI&) = delete;
    TAPI& operator=(const TAPI&) = delete;

    static ShellExecuteFn DefaultShell() noexcept;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    IUnknown* STDMETHODCALLTYPE GetZentik() override;
    BSTR STDMETHODCALLTYPE GetParam(const wchar_t* key, const wchar_t* text) override;
    int STDMETHODCALLTYPE ShellOpen(const wchar_t* fileName, const wchar_t* params) override;
    int STDMETHODCALLTYPE RunShell(HWND window, const wchar_t* operation, const wchar_t* fileName,
                                   const wchar_t* params, const wchar_t* directory,
                                   int showCmd) override;
    void STDMETHODCALLTYPE ExecCommand(const wchar_t* commandLine) override;
    void STDMETHODCALLTYPE SplitCommandLine(const wchar_t* line, BSTR* program,
                                            BSTR* params) override;
    BOOL STDMETHODCALLTYPE AddSetupPage(HWND page, IUnknown* plugin) override;
    BOOL STDMETHODCALLTYPE TrimWorkingSet() override;
    int STDMETHODCALLTYPE RollIn(HWND window, int width, int height) override;
    int STDMETHODCALLTYPE RollOut(HWND window, int width, int height) override;
    BSTR STDMETHODCALLTYPE GetLangText(const wchar_t* module, const wchar_t* key) override;

private:
    ~TAPI() = default;

    volatile LONG references_ = 1;
    IUnknown* const host_;
    const ShellExecuteFn shell_;
};

} // namespace zt

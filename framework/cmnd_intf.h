#pragma once
// The command registry on Windows: IztCmnd over a TCmnd whose workers are threads of
// their own (cThreadCmndRun) that free themselves when the command returns.
//
// Life cycle: the main window creates one CmndInterface when it is created, registers the
// built-in commands, hands Interface() out as kind 3 of IZentik::GetInterface and, at
// close, calls WaitForCommandThreads with a bound before it unloads the plug-ins whose
// routines the workers may be running. The interface is not reference counted.
//
// Every operation may be called from any thread; none lets an exception escape.

#include <windows.h>

#include "framework/cmnd.h"
#include "zentik/ztCmnd.h"

namespace zt {

class CmndInterface final : public IztCmnd {
public:
    // Result of Execute when the command's routine failed.
    static constexpr int kFailed = -2;

    CmndInterface();

    IztCmnd* Interface() { return this; }
    // The registry itself, for the host's own use.
    TCmnd& Registry() { return cmnd_; }
    // Waits up to timeoutMs for the command threads; true when none is left.
    bool WaitForCommandThreads(DWORD timeoutMs);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(-1); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(-1); }

    int STDMETHODCALLTYPE Execute(const wchar_t* name, const wchar_t* param) override;
    void STDMETHODCALLTYPE ExecuteInThread(const wchar_t* name, const wchar_t* param) override;
    void STDMETHODCALLTYPE AddCommand(const wchar_t* name, ZT_CMND_PROC proc,
                                      const wchar_t* description) override;
    void STDMETHODCALLTYPE AddParamCommand(const wchar_t* name, ZT_CMND_PARAM_PROC proc,
                                           ZT_CMND_EDITOR editor,
                                           const wchar_t* description) override;
    void STDMETHODCALLTYPE DeleteCommand(const wchar_t* name) override;
    BSTR STDMETHODCALLTYPE GetNamesText() override;
    BSTR STDMETHODCALLTYPE GetDescriptionsText() override;
    BSTR STDMETHODCALLTYPE GetListText() override;
    BSTR STDMETHODCALLTYPE EditCommandLine(const wchar_t* commandLine) override;
    void STDMETHODCALLTYPE SetEditor(const wchar_t* name, ZT_CMND_EDITOR editor) override;
    ZT_CMND_EDITOR STDMETHODCALLTYPE GetEditor(const wchar_t* name) override;
    BSTR STDMETHODCALLTYPE GetItemText(int index) override;
    BSTR STDMETHODCALLTYPE GetCommandName(int index) override;
    BSTR STDMETHODCALLTYPE GetCommandDescription(int index) override;

private:
    TCmnd cmnd_;
};

// Starts job on a new thread that frees itself when the job returns; false when the
// thread could not be created. An exception from the job ends only that thread.
bool StartCommandThread(std::function<void()> job);

} // namespace zt

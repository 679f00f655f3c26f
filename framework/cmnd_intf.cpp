#include "framework/cmnd_intf.h"

#include <oleauto.h>
#include <process.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "common/diag_log.h"
#include "common/guarded.h"
#include "common/handles.h"
#include "zentik/ztComHelpers.h"

namespace zt {

static_assert(std::is_same_v<TCmndProc, ZT_CMND_PROC>);
static_assert(std::is_same_v<TCmndParamProc, ZT_CMND_PARAM_PROC>);
static_assert(std::is_same_v<TCmndEditor, ZT_CMND_EDITOR>);

namespace {

void FreeBstr(wchar_t* text) {
    ::SysFreeString(text);
}

// One command run on a thread of its own; the thread deletes it when the run ends.
class cThreadCmndRun {
public:
    explicit cThreadCmndRun(std::function<void()> job) : job_(std::move(job)) {}

    static unsigned __stdcall ThreadProc(void* arg) {
        std::unique_ptr<cThreadCmndRun> self(static_cast<cThreadCmndRun*>(arg));
        try {
            self->job_();
        } catch (...) {
            // The worker ends; only the log hears of it.
            DiagLogCaught(L"command thread");
        }
        return 0;
    }

private:
    std::function<void()> job_;
};

} // namespace

bool StartCommandThread(std::function<void()> job) {
    auto run = std::make_unique<cThreadCmndRun>(std::move(job));
    const uintptr_t handle =
        ::_beginthreadex(nullptr, 0, &cThreadCmndRun::ThreadProc, run.get(), 0, nullptr);
    if (handle == 0)
        return false;
    run.release(); // the thread owns it now
    // Nobody waits on the handle: the thread object frees itself.
    UniqueThread thread(reinterpret_cast<HANDLE>(handle));
    return true;
}

CmndInterface::CmndInterface()
    : cmnd_(TCmndPlatform{static_cast<IUnknown*>(this), &FreeBstr, &StartCommandThread}) {}

bool CmndInterface::WaitForCommandThreads(DWORD timeoutMs) {
    return Guarded(false, [&] { return cmnd_.WaitForCommandThreads(timeoutMs); });
}

HRESULT STDMETHODCALLTYPE CmndInterface::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztCmnd)) {
        *object = static_cast<IztCmnd*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

int STDMETHODCALLTYPE CmndInterface::Execute(const wchar_t* name, const wchar_t* param) {
    return Guarded(kFailed, [&] { return cmnd_.Execute(ztTextView(name), ztTextView(param)); });
}

void STDMETHODCALLTYPE CmndInterface::ExecuteInThread(const wchar_t* name, const wchar_t* param) {
    Guarded([&] { cmnd_.ExecuteInThread(ztTextView(name), ztTextView(param)); });
}

void STDMETHODCALLTYPE CmndInterface::AddCommand(const wchar_t* name, ZT_CMND_PROC proc,
                                                 const wchar_t* description) {
    Guarded([&] { cmnd_.AddCommand(ztTextView(name), proc, ztTextView(description)); });
}

void STDMETHODCALLTYPE CmndInterface::AddParamCommand(const wchar_t* name, ZT_CMND_PARAM_PROC proc,
                                                      ZT_CMND_EDITOR editor,
                                                      const wchar_t* description) {
    Guarded(
        [&] { cmnd_.AddParamCommand(ztTextView(name), proc, editor, ztTextView(description)); });
}

void STDMETHODCALLTYPE CmndInterface::DeleteCommand(const wchar_t* name) {
    Guarded([&] { cmnd_.DeleteCommand(ztTextView(name)); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetNamesText() {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetNamesText()); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetDescriptionsText() {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetDescriptionsText()); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetListText() {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetListText()); });
}

BSTR STDMETHODCALLTYPE CmndInterface::EditCommandLine(const wchar_t* commandLine) {
    // A failing editor leaves the line as it was.
    return Guarded<BSTR>(nullptr, [&] {
        try {
            return ztAllocBstr(cmnd_.EditCommandLine(ztTextView(commandLine)));
        } catch (...) {
            DiagLogCaught(L"IztCmnd::EditCommandLine: the editor");
            return ztAllocBstr(ztTextView(commandLine));
        }
    });
}

void STDMETHODCALLTYPE CmndInterface::SetEditor(const wchar_t* name, ZT_CMND_EDITOR editor) {
    Guarded([&] { cmnd_.SetEditor(ztTextView(name), editor); });
}

ZT_CMND_EDITOR STDMETHODCALLTYPE CmndInterface::GetEditor(const wchar_t* name) {
    return Guarded<ZT_CMND_EDITOR>(nullptr, [&] { return cmnd_.GetEditor(ztTextView(name)); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetItemText(int index) {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetItemText(index)); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetCommandName(int index) {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetCommandName(index)); });
}

BSTR STDMETHODCALLTYPE CmndInterface::GetCommandDescription(int index) {
    return Guarded<BSTR>(nullptr, [&] { return ztAllocBstr(cmnd_.GetCommandDescription(index)); });
}

} // namespace zt

#include "api/zentik_api.h"

#include <oleauto.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "api/api_text.h"
#include "api/roll_frames.h"
#include "common/handles.h"
#include "zentik/ztCmnd.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikInterface.h"
#include "common/bstr.h"

namespace zt {

namespace {

// A counted interface reference, released when the owner goes.
template <typename T> class ComRef {
public:
    ComRef() noexcept = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() {
        if (p_)
            p_->Release();
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void** put() noexcept { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

template <typename T> void Query(IUnknown* from, REFIID iid, ComRef<T>& to) {
    if (from && FAILED(from->QueryInterface(iid, to.put())))
        *to.put() = nullptr;
}

const wchar_t* OrEmpty(const wchar_t* text) {
    return text ? text : L"";
}

template <typename Fn> Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Sets the window region; the window owns the region once the call succeeds.
int ApplyRegion(HWND window, UniqueRegion region) {
    if (!region)
        return 0;
    const int result = ::SetWindowRgn(window, region.get(), TRUE);
    if (result)
        region.release();
    return result;
}

int ApplyFrame(HWND window, const RollFrame& frame) {
    return ApplyRegion(
        window, UniqueRegion(::CreateRectRgn(frame.left, frame.top, frame.right, frame.bottom)));
}

int ApplyEmptyRegion(HWND window) {
    return ApplyRegion(window, UniqueRegion(::CreateRectRgn(0, 0, 0, 0)));
}

} // namespace

TAPI::TAPI(IUnknown* host, ShellExecuteFn shell) noexcept : host_(host), shell_(shell) {}

ShellExecuteFn TAPI::DefaultShell() noexcept {
    return &::ShellExecuteW;
}

HRESULT STDMETHODCALLTYPE TAPI::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IZentikAPI)) {
        *object = static_cast<IZentikAPI*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TAPI::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE TAPI::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

IUnknown* STDMETHODCALLTYPE TAPI::GetZentik() {
    return host_;
}

BSTR STDMETHODCALLTYPE TAPI::GetParam(const wchar_t* key, const wchar_t* text) {
    try {
        return ToBstr(zt::GetParam(TextView(key), TextView(text)));
    } catch (...) {
        return nullptr;
    }
}

int STDMETHODCALLTYPE TAPI::ShellOpen(const wchar_t* fileName, const wchar_t* params) {
    return RunShell(nullptr, L"open", fileName, params, nullptr, SW_SHOWNORMAL);
}

int STDMETHODCALLTYPE TAPI::RunShell(HWND window, const wchar_t* operation, const wchar_t* fileName,
                                     const wchar_t* params, const wchar_t* directory, int showCmd) {
    if (!shell_)
        return 0;
    try {
        const HINSTANCE result =
            shell_(window, operation, OrEmpty(fileName), params, directory, showCmd);
        // An error code (at most 32) or a value above it, as the shell defines.
        return static_cast<int>(reinterpret_cast<INT_PTR>(result));
    } catch (...) {
        return 0;
    }
}

void STDMETHODCALLTYPE TAPI::ExecCommand(const wchar_t* commandLine) {
    try {
        ComRef<IZentik> zentik;
        Query(host_, IID_IZentik, zentik);
        if (!zentik)
            return;
        ComRef<IztCmnd> commands;
        Query(zentik->GetInterface(3), IID_IztCmnd, commands);
        if (!commands)
            return;
        const CommandCall call = SplitCommand(TextView(commandLine));
        commands->Execute(call.name.c_str(), call.param.c_str());
    } catch (...) {
        // Nothing to report: an unknown command does nothing either.
    }
}

void STDMETHODCALLTYPE TAPI::SplitCommandLine(const wchar_t* line, BSTR* program, BSTR* params) {
    if (program)
        *program = nullptr;
    if (params)
        *params = nullptr;
    try {
        const ProgramLine split = zt::SplitCommandLine(TextView(line));
        UniqueBstr programText(ToBstr(split.program));
        UniqueBstr paramsText(ToBstr(split.params));
        if (program)
            *program = programText.release();
        if (params)
            *params = paramsText.release();
    } catch (...) {
        // Both results stay null.
    }
}

BOOL STDMETHODCALLTYPE TAPI::AddSetupPage(HWND page, IUnknown* plugin) {
    try {
        // Only an options library that is already loaded; the reference taken here keeps
        // it loaded during the calls.
        HMODULE loaded = nullptr;
        if (!::GetModuleHandleExW(0, L"ZentikOpt.dll", &loaded))
            return FALSE;
        const UniqueModule options(loaded);
        const auto getNode = Export<OptGetNodeFn>(options.get(), "GetNode");
        const auto addNode = Export<OptAddPluginMenuNodeFn>(options.get(), "AddPluginMenuNode");
        const auto activate = Export<OptActiveSetupNodeFn>(options.get(), "ActiveSetupNode");
        if (!getNode || !addNode || !activate)
            return FALSE;
        ComRef<IztPlugin> info;
        Query(plugin, IID_IztPlugin, info);
        if (!info)
            return FALSE;
        const UniqueBstr name(info->GetName());
        void* node = getNode(OrEmpty(name.get()));
        if (node) {
            // Added before: select it again.
            activate(node);
            return FALSE;
        }
        const UniqueBstr caption(info->GetCaption());
        return addNode(OrEmpty(caption.get()), OrEmpty(name.get()), &node, page) ? TRUE : FALSE;
    } catch (...) {
        return FALSE;
    }
}

BOOL STDMETHODCALLTYPE TAPI::TrimWorkingSet() {
    const HANDLE process = ::GetCurrentProcess();
    SIZE_T minimum = 0;
    SIZE_T maximum = 0;
    if (!::GetProcessWorkingSetSize(process, &minimum, &maximum))
        return FALSE;
    // (-1, -1) empties the working set and leaves the limits as they are.
    return ::SetProcessWorkingSetSize(process, static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

int STDMETHODCALLTYPE TAPI::RollIn(HWND window, int width, int height) {
    try {
        if (!::IsWindow(window))
            return 0;
        const std::vector<RollFrame> frames = RollFrames(width, height);
        ApplyEmptyRegion(window);
        ::ShowWindow(window, SW_SHOW);
        for (auto frame = frames.rbegin(); frame != frames.rend(); ++frame) {
            ApplyFrame(window, *frame);
            ::RedrawWindow(window, nullptr, nullptr,
                           RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            ::Sleep(kRollInFrameMs);
        }
        return ::SetWindowRgn(window, nullptr, TRUE);
    } catch (...) {
        return 0;
    }
}

int STDMETHODCALLTYPE TAPI::RollOut(HWND window, int width, int height) {
    try {
        if (!::IsWindow(window))
            return 0;
        for (const RollFrame& frame : RollFrames(width, height)) {
            ApplyFrame(window, frame);
            ::Sleep(kRollOutFrameMs);
        }
        return ApplyEmptyRegion(window);
    } catch (...) {
        return 0;
    }
}

BSTR STDMETHODCALLTYPE TAPI::GetLangText(const wchar_t* module, const wchar_t* key) {
    try {
        ComRef<IZentik> zentik;
        Query(host_, IID_IZentik, zentik);
        ComRef<IztLanguageMan> language;
        if (zentik)
            Query(zentik->GetInterface(5), IID_IztLanguageMan, language);
        if (!language)
            return ToBstr({});
        const ZT_LANG_MODULE handle = language->OpenModule(OrEmpty(module));
        if (!handle)
            return ToBstr({});
        BSTR text = language->Translate(handle, OrEmpty(key));
        language->CloseModule(handle);
        return text;
    } catch (...) {
        return nullptr;
    }
}

} // namespace zt

#include "api/zentik_api.h"

#include <oleauto.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "api/api_text.h"
#include "api/roll_frames.h"
#include "common/diag_log.h"
#include "common/handles.h"
#include "zentik/ztCmnd.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikInterface.h"

namespace zt {

namespace {

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
        return ztAllocBstr(zt::GetParam(ztTextView(key), ztTextView(text)));
    } catch (...) {
        DiagLogCaught(L"IZentikAPI::GetParam");
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
        DiagLogCaught(L"IZentikAPI::RunShell");
        return 0;
    }
}

void STDMETHODCALLTYPE TAPI::ExecCommand(const wchar_t* commandLine) {
    try {
        const TztComRef<IZentik> zentik = TztComRef<IZentik>::Query(host_, IID_IZentik);
        const TztComRef<IztCmnd> commands =
            ztHostInterface<IztCmnd>(zentik.get(), ztiCommands, IID_IztCmnd);
        if (!commands)
            return;
        const CommandCall call = SplitCommand(ztTextView(commandLine));
        commands->Execute(call.name.c_str(), call.param.c_str());
    } catch (...) {
        DiagLogCaught(L"IZentikAPI::ExecCommand");
    }
}

void STDMETHODCALLTYPE TAPI::SplitCommandLine(const wchar_t* line, BSTR* program, BSTR* params) {
    if (program)
        *program = nullptr;
    if (params)
        *params = nullptr;
    try {
        const ProgramLine split = zt::SplitCommandLine(ztTextView(line));
        TztBstr programText(ztAllocBstr(split.program));
        TztBstr paramsText(ztAllocBstr(split.params));
        if (program)
            *program = programText.release();
        if (params)
            *params = paramsText.release();
    } catch (...) {
        DiagLogCaught(L"IZentikAPI::SplitCommandLine"); // both results stay null
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
        const TztComRef<IztPlugin> info = TztComRef<IztPlugin>::Query(plugin, IID_IztPlugin);
        if (!info)
            return FALSE;
        const TztBstr name(info->GetName());
        void* node = getNode(name.c_str());
        if (node) {
            // Added before: select it again.
            activate(node);
            return FALSE;
        }
        const TztBstr caption(info->GetCaption());
        return addNode(caption.c_str(), name.c_str(), &node, page) ? TRUE : FALSE;
    } catch (...) {
        DiagLogCaught(L"IZentikAPI::AddSetupPage");
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
        DiagLogCaught(L"IZentikAPI::RollIn");
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
        DiagLogCaught(L"IZentikAPI::RollOut");
        return 0;
    }
}

BSTR STDMETHODCALLTYPE TAPI::GetLangText(const wchar_t* module, const wchar_t* key) {
    try {
        const TztComRef<IZentik> zentik = TztComRef<IZentik>::Query(host_, IID_IZentik);
        const TztComRef<IztLanguageMan> language =
            ztHostInterface<IztLanguageMan>(zentik.get(), ztiLanguageMan, IID_IztLanguageMan);
        if (!language)
            return ztAllocBstr({});
        const ZT_LANG_MODULE handle = language->OpenModule(OrEmpty(module));
        if (!handle)
            return ztAllocBstr({});
        BSTR text = language->Translate(handle, OrEmpty(key));
        language->CloseModule(handle);
        return text;
    } catch (...) {
        DiagLogCaught(L"IZentikAPI::GetLangText");
        return nullptr;
    }
}

} // namespace zt

#pragma once
// Hand-made host objects for the API tests: a clock (IZentik) that hands out a recording
// command registry and a small language manager, and a plug-in with a name and caption.

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "zentik/ztCmnd.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikInterface.h"

namespace fake {

// References taken minus references released, to catch leaks in the code under test.
template <typename Interface> class Counted : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, Iid())) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++held); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--held); }

    int held = 0;

protected:
    virtual const IID& Iid() const = 0;
};

class Commands final : public Counted<IztCmnd> {
public:
    std::vector<std::pair<std::wstring, std::wstring>> executed;

    int STDMETHODCALLTYPE Execute(const wchar_t* name, const wchar_t* param) override {
        executed.emplace_back(name, param);
        return -1;
    }
    void STDMETHODCALLTYPE ExecuteInThread(const wchar_t*, const wchar_t*) override {}
    void STDMETHODCALLTYPE AddCommand(const wchar_t*, ZT_CMND_PROC, const wchar_t*) override {}
    void STDMETHODCALLTYPE AddParamCommand(const wchar_t*, ZT_CMND_PARAM_PROC, ZT_CMND_EDITOR,
                                           const wchar_t*) override {}
    void STDMETHODCALLTYPE DeleteCommand(const wchar_t*) override {}
    BSTR STDMETHODCALLTYPE GetNamesText() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetDescriptionsText() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetListText() override { return nullptr; }
    BSTR STDMETHODCALLTYPE EditCommandLine(const wchar_t*) override { return nullptr; }
    void STDMETHODCALLTYPE SetEditor(const wchar_t*, ZT_CMND_EDITOR) override {}
    ZT_CMND_EDITOR STDMETHODCALLTYPE GetEditor(const wchar_t*) override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetItemText(int) override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetCommandName(int) override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetCommandDescription(int) override { return nullptr; }

protected:
    const IID& Iid() const override { return IID_IztCmnd; }
};

// Texts by module and key; a module that has no text cannot be opened.
class Language final : public Counted<IztLanguageMan> {
public:
    std::map<std::wstring, std::map<std::wstring, std::wstring>> texts;
    int openModules = 0;

    ZT_LANG_MODULE STDMETHODCALLTYPE OpenModule(const wchar_t* name) override {
        auto found = texts.find(name);
        if (found == texts.end())
            return nullptr;
        ++openModules;
        return reinterpret_cast<ZT_LANG_MODULE>(&found->second);
    }
    BSTR STDMETHODCALLTYPE Translate(ZT_LANG_MODULE module, const wchar_t* key) override {
        const auto& keys = *reinterpret_cast<std::map<std::wstring, std::wstring>*>(module);
        auto found = keys.find(key);
        return ::SysAllocString(found == keys.end() ? L"" : found->second.c_str());
    }
    void STDMETHODCALLTYPE CloseModule(ZT_LANG_MODULE) override { --openModules; }
    BSTR STDMETHODCALLTYPE GetLanguageList(const wchar_t*) override { return nullptr; }
    void STDMETHODCALLTYPE SetLanguage(const wchar_t*) override {}
    BSTR STDMETHODCALLTYPE GetLanguage() override { return nullptr; }
    void STDMETHODCALLTYPE Hold() override {}
    void STDMETHODCALLTYPE ReleaseHold() override {}

protected:
    const IID& Iid() const override { return IID_IztLanguageMan; }
};

class Zentik final : public Counted<IZentik> {
public:
    Zentik(IztCmnd* commands, IztLanguageMan* language)
        : commands_(commands), language_(language) {}

    IUnknown* STDMETHODCALLTYPE GetInterface(int kind) override {
        if (kind == ztiCommands)
            return commands_;
        if (kind == ztiLanguageMan)
            return language_;
        return nullptr;
    }
    void STDMETHODCALLTYPE DoAction(int) override {}
    INT_PTR STDMETHODCALLTYPE GetValue(int) override { return 0; }
    void STDMETHODCALLTYPE SetValue(int, INT_PTR) override {}
    HWND STDMETHODCALLTYPE GetHandle() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetAlarmCommand() override { return nullptr; }
    void STDMETHODCALLTYPE SetAlarmCommand(const wchar_t*) override {}
    void STDMETHODCALLTYPE ApplyLanguage() override {}

protected:
    const IID& Iid() const override { return IID_IZentik; }

private:
    IztCmnd* commands_;
    IztLanguageMan* language_;
};

class Plugin final : public Counted<IztPlugin> {
public:
    Plugin(std::wstring name, std::wstring caption)
        : name_(std::move(name)), caption_(std::move(caption)) {}

    BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(name_.c_str()); }
    BSTR STDMETHODCALLTYPE GetCaption() override { return ::SysAllocString(caption_.c_str()); }
    BSTR STDMETHODCALLTYPE GetVersion() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetAuthor() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetNotice() override { return nullptr; }
    BSTR STDMETHODCALLTYPE GetDescription() override { return nullptr; }
    int STDMETHODCALLTYPE GetMaxInstances() override { return 1; }
    void STDMETHODCALLTYPE Configure() override {}
    BOOL STDMETHODCALLTYPE Initialize(IUnknown*) override { return TRUE; }
    BOOL STDMETHODCALLTYPE Finalize() override { return TRUE; }

protected:
    const IID& Iid() const override { return IID_IztPlugin; }

private:
    std::wstring name_;
    std::wstring caption_;
};

} // namespace fake

#pragma once
// TztPlugin: the base class of every plug-in object, and the small helpers a plug-in
// needs to reach the host (interface references, BSTR texts, language texts, menu items).
//
// A plug-in library derives one class from TztPlugin, overrides the identity operations
// (GetName, GetCaption, GetVersion, GetAuthor, GetNotice, GetDescription,
// GetMaxInstances), sets the hooks OnInitialize / OnFinalize / OnConfigure (and, for a
// page in the options dialog, OnCreateSetupPage / OnSetupClosed) in its constructor and
// defines its export with ZT_REGISTER_PLUGIN:
//
//     class TztPlgHello final : public TztPlugin {
//     public:
//         TztPlgHello() { OnInitialize = [](TztPlugin& self, bool& allowLoad) { ... }; }
//         BSTR STDMETHODCALLTYPE GetName() override { return ::SysAllocString(L"Hello.Zentik"); }
//         BSTR STDMETHODCALLTYPE GetCaption() override { return LangBstr(L"Caption"); }
//         ...
//     };
//     ZT_REGISTER_PLUGIN(TztPlgHello)
//
// and lists the export in a .def file ("EXPORTS" / "ztRegisterPlugin") so its name stays
// undecorated. Build the library with ztPlugin.cpp (sdk/src) and link ZentikAPI.
//
// Life of the object: ztRegisterPlugin creates it and keeps it as the module's plug-in
// object (ztPluginObject); Initialize stores the manager (one reference held) and calls
// OnInitialize; Finalize calls OnFinalize and deletes the object, whatever its
// reference count. References are counted as well, so an object that is never
// initialised is deleted when the host releases its last reference. No exception leaves
// an interface operation: a throwing OnInitialize makes Initialize return FALSE, a
// throwing OnFinalize still lets Finalize destroy the object (and return FALSE).

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "zentik/ztCmnd.h"
#include "zentik/ztComHelpers.h"
#include "zentik/ztLanguageMan.h"
#include "zentik/ztPluginInt.h"
#include "zentik/ztZentikAPI.h"
#include "zentik/ztZentikInterface.h"

// For catch blocks at a plug-in's edges (interface operations, exported functions,
// callbacks): writes the library's file name, where and the text of the exception in
// flight to the debugger (OutputDebugStringW). Never throws.
void ztDebugCaught(const wchar_t* where) noexcept;

// The host API (GetAPI); empty before the host has initialised ZentikAPI.
TztComRef<IZentikAPI> ztGetAPI() noexcept;
// The clock's IZentik through GetAPI; empty before the host has initialised ZentikAPI.
TztComRef<IZentik> ztGetZentik() noexcept;
// The clock's object of the given kind as interface iid (ztHostInterface on ztGetZentik);
// empty when missing. ztiNewTimer makes a new timer each time:
//     TztComRef<IztTimer> timer = ztGetHostInterface<IztTimer>(ztiNewTimer, IID_IztTimer);
template <class I> TztComRef<I> ztGetHostInterface(ZtInterfaceKind kind, REFIID iid) noexcept {
    return ztHostInterface<I>(ztGetZentik().get(), kind, iid);
}

// One language module opened through the host's language manager (ztiLanguageMan)
// for the life of this object. Every text is empty when the module is not open.
class TztLangModule {
public:
    explicit TztLangModule(const wchar_t* module) noexcept;
    ~TztLangModule();
    TztLangModule(const TztLangModule&) = delete;
    TztLangModule& operator=(const TztLangModule&) = delete;

    bool IsOpen() const noexcept { return module_ != nullptr; }
    std::wstring Translate(const wchar_t* key) const;

private:
    TztComRef<IztLanguageMan> man_;
    ZT_LANG_MODULE module_ = nullptr;
};

// ---- Menu items of plug-ins (the contract is in ztPluginInt.h) ---------------------
// The clock's plug-in submenu (ZT_PLUGINS_ITEMS of the clock window), or null.
HMENU ztFindPluginsMenu() noexcept;

// A submenu that a plug-in adds under a parent menu, with entries that run routines.
// The destructor removes the entries, last first, and then the submenu.
class TztPluginMenu {
public:
    TztPluginMenu() = default;
    ~TztPluginMenu();
    TztPluginMenu(const TztPluginMenu&) = delete;
    TztPluginMenu& operator=(const TztPluginMenu&) = delete;

    // Appends an empty submenu to parent (normally ztFindPluginsMenu()), taking ids of
    // the plug-in range that no item under parent uses; false (nothing added) on failure.
    bool Create(HMENU parent, const wchar_t* caption);
    // Appends an enabled, unchecked entry that runs proc (with the host's sender) when
    // picked; its index, or -1 on failure.
    int AddItem(const wchar_t* caption, ZT_CMND_PROC proc);
    void SetCaption(const wchar_t* caption);
    void SetItemCaption(int index, const wchar_t* caption);
    // Removes everything that was added (also done by the destructor).
    void Destroy() noexcept;

    HMENU Handle() const noexcept { return popup_; }
    HMENU Parent() const noexcept { return parent_; }
    UINT Id() const noexcept { return id_; }
    int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
    UINT ItemId(int index) const noexcept;

private:
    struct Entry {
        ZT_MENU_ACTION action;
        UINT id;
    };
    HMENU parent_ = nullptr;
    HMENU popup_ = nullptr;
    UINT id_ = 0;
    std::vector<std::unique_ptr<Entry>> items_;
};

// ---- The base class -----------------------------------------------------------------
class TztPlugin : public IztPlugin {
public:
    // allowLoad starts true; for OnFinalize it is the result of Finalize.
    using InitializeEvent = std::function<void(TztPlugin& sender, bool& allowLoad)>;
    using NotifyEvent = std::function<void(TztPlugin& sender)>;

    InitializeEvent OnInitialize;
    InitializeEvent OnFinalize;
    NotifyEvent OnConfigure;

    // A settings page in the clock's options dialog, under "Plg". Set the hooks in the
    // constructor or in OnInitialize: the base listens for the dialog (from Initialize to
    // Finalize) only when one of them is set by then.
    // OnCreateSetupPage is called when the dialog opens, with the dialog's window: create the
    // page as a window (a hidden DS_CONTROL child dialog of dialog, for example) and return
    // it, or null for no page this time. The base hands it to IZentikAPI::AddSetupPage; a
    // page the dialog does not take is destroyed. From then on the window belongs to the
    // dialog and is destroyed with it. The page applies its changes at once; OnSetupClosed
    // tells how the dialog closed: ok (keep and save them) or Cancel (restore what was there
    // before). Forget the page's window there.
    using SetupPageEvent = std::function<HWND(TztPlugin& sender, HWND dialog)>;
    using SetupClosedEvent = std::function<void(TztPlugin& sender, bool ok)>;

    SetupPageEvent OnCreateSetupPage;
    SetupClosedEvent OnSetupClosed;

    TztPlugin(const TztPlugin&) = delete;
    TztPlugin& operator=(const TztPlugin&) = delete;

    // IUnknown: IUnknown and IztPlugin.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Operations 1-7 stay pure virtual; each must catch everything.
    void STDMETHODCALLTYPE Configure() override;
    BOOL STDMETHODCALLTYPE Initialize(IUnknown* manager) override;
    BOOL STDMETHODCALLTYPE Finalize() override;

    // The reference given to Initialize (not counted for the caller), or null.
    IUnknown* Manager() const noexcept { return manager_; }
    // The manager as IztPluginMan; empty before Initialize.
    TztComRef<IztPluginMan> PluginMan() const noexcept;

protected:
    TztPlugin() noexcept = default;
    // Clears the module's plug-in object when it is this one and releases the manager.
    virtual ~TztPlugin();

    // The text of key in this plug-in's language module (named by GetName); empty when
    // the host or the module is unavailable.
    std::wstring LangText(const wchar_t* key);
    // LangText as a BSTR for GetCaption and GetDescription; never throws.
    BSTR LangBstr(const wchar_t* key) noexcept;
    // GetName as a text; empty on failure.
    std::wstring NameText();

private:
    void Destroy() noexcept;
    // msgSetupCreated and msgSetupClosed, for the hooks that are set.
    void SubscribeSetup() noexcept;
    void UnsubscribeSetup() noexcept;
    static int STDMETHODCALLTYPE SetupMessage(int msg, INT_PTR param1, INT_PTR param2, void* self);

    volatile LONG refCount_ = 0;
    bool finalizing_ = false;
    IUnknown* manager_ = nullptr;
    ZT_SUBSCRIPTION setupCreated_ = nullptr;
    ZT_SUBSCRIPTION setupClosed_ = nullptr;
};

// The module's plug-in object, or null.
TztPlugin* ztPluginObject() noexcept;
// Stores plugin as the module's object unless a live one is stored already.
void ztSetPluginObject(TztPlugin* plugin) noexcept;

// The body of ztRegisterPlugin: a new T, stored as the module's object, returned as a
// counted IUnknown (null on failure).
template <class T> void ztRegisterPluginObject(IUnknown** plugin) noexcept {
    if (!plugin)
        return;
    *plugin = nullptr;
    try {
        T* object = new T();
        ztSetPluginObject(object);
        object->AddRef();
        *plugin = static_cast<IztPlugin*>(object);
    } catch (...) {
        ztDebugCaught(L"ztRegisterPlugin");
    }
}

// The module's object as its derived class (null when none exists).
template <class T> T* ztPluginObjectAs() noexcept {
    return dynamic_cast<T*>(ztPluginObject());
}

// Defines the export ztRegisterPlugin for plug-in class Class (list it in the .def file).
#define ZT_REGISTER_PLUGIN(Class)                                                                  \
    extern "C" void __stdcall ztRegisterPlugin(IUnknown** plugin) {                                \
        ztRegisterPluginObject<Class>(plugin);                                                     \
    }

#include "zentik/ztPlugin.h"

#include <cwchar>
#include <exception>

namespace {

// The module's plug-in object; each library linking this file has its own.
TztPlugin* gPluginObject = nullptr;

// An id of the plug-in range that no item under root uses, or 0 when all are taken.
UINT FreeMenuId(HMENU root) noexcept {
    for (UINT id = ZT_PLUGIN_MENU_FIRST_ID; id <= ZT_PLUGIN_MENU_LAST_ID; ++id) {
        if (::GetMenuState(root, id, MF_BYCOMMAND) == static_cast<UINT>(-1))
            return id;
    }
    return 0;
}

// The position of the item of menu that opens popup, or -1.
int PopupPosition(HMENU menu, HMENU popup) noexcept {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (::GetSubMenu(menu, i) == popup)
            return i;
    }
    return -1;
}

// Appends source to line (capacity characters in all), cutting it short when full.
void AppendText(wchar_t* line, size_t capacity, const wchar_t* source) noexcept {
    const size_t used = std::wcslen(line);
    if (used + 1 < capacity)
        std::wcsncat(line, source, capacity - used - 1);
}

} // namespace

void ztDebugCaught(const wchar_t* where) noexcept {
    wchar_t what[256] = L"unknown exception";
    try {
        if (const std::exception_ptr caught = std::current_exception())
            std::rethrow_exception(caught);
    } catch (const std::exception& error) {
        if (!::MultiByteToWideChar(CP_ACP, 0, error.what(), -1, what, 256))
            what[255] = L'\0'; // cut short: keep what fitted
    } catch (...) {
    }
    wchar_t module[MAX_PATH] = L"plug-in";
    HMODULE self = nullptr;
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&ztDebugCaught), &self))
        ::GetModuleFileNameW(self, module, MAX_PATH);
    const wchar_t* name = std::wcsrchr(module, L'\\');
    wchar_t line[640] = L"";
    AppendText(line, 640, name ? name + 1 : module);
    AppendText(line, 640, L": ");
    AppendText(line, 640, where ? where : L"");
    AppendText(line, 640, L": ");
    AppendText(line, 640, what);
    AppendText(line, 640, L"\n");
    ::OutputDebugStringW(line);
}

TztComRef<IZentikAPI> ztGetAPI() noexcept {
    IUnknown* raw = nullptr;
    ::GetAPI(&raw);
    const TztComRef<IUnknown> unknown = TztComRef<IUnknown>::Attach(raw);
    return TztComRef<IZentikAPI>::Query(unknown.get(), IID_IZentikAPI);
}

TztComRef<IZentik> ztGetZentik() noexcept {
    const TztComRef<IZentikAPI> api = ztGetAPI();
    if (!api)
        return {};
    return TztComRef<IZentik>::Query(api->GetZentik(), IID_IZentik);
}

// ---- TztLangModule ------------------------------------------------------------------

TztLangModule::TztLangModule(const wchar_t* module) noexcept
    : man_(ztGetHostInterface<IztLanguageMan>(ztiLanguageMan, IID_IztLanguageMan)) {
    if (man_ && module)
        module_ = man_->OpenModule(module);
}

TztLangModule::~TztLangModule() {
    if (man_ && module_)
        man_->CloseModule(module_);
}

std::wstring TztLangModule::Translate(const wchar_t* key) const {
    if (!module_ || !key)
        return {};
    return ztTakeBstr(man_->Translate(module_, key));
}

// ---- Menu items ---------------------------------------------------------------------

HMENU ztFindPluginsMenu() noexcept {
    TztComRef<IZentik> zentik = ztGetZentik();
    if (!zentik)
        return nullptr;
    HWND window = zentik->GetHandle();
    if (!window)
        return nullptr;
    HMENU menu = static_cast<HMENU>(::GetPropW(window, ZT_PLUGINS_ITEMS));
    return menu && ::IsMenu(menu) ? menu : nullptr;
}

TztPluginMenu::~TztPluginMenu() {
    Destroy();
}

bool TztPluginMenu::Create(HMENU parent, const wchar_t* caption) {
    Destroy();
    if (!parent)
        return false;
    HMENU popup = ::CreatePopupMenu();
    if (!popup)
        return false;
    const UINT id = FreeMenuId(parent);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_STATE;
    info.wID = id;
    info.hSubMenu = popup;
    info.fState = MFS_ENABLED;
    info.dwTypeData = const_cast<wchar_t*>(caption ? caption : L"");
    if (id == 0 || !::InsertMenuItemW(parent, ::GetMenuItemCount(parent), TRUE, &info)) {
        ::DestroyMenu(popup);
        return false;
    }
    parent_ = parent;
    popup_ = popup;
    id_ = id;
    return true;
}

int TztPluginMenu::AddItem(const wchar_t* caption, ZT_CMND_PROC proc) {
    if (!popup_)
        return -1;
    auto entry = std::make_unique<Entry>();
    entry->action = {sizeof(ZT_MENU_ACTION), proc};
    entry->id = FreeMenuId(parent_);
    if (entry->id == 0)
        return -1;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_DATA;
    info.wID = entry->id;
    info.fState = MFS_ENABLED | MFS_UNCHECKED;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&entry->action);
    info.dwTypeData = const_cast<wchar_t*>(caption ? caption : L"");
    items_.reserve(items_.size() + 1);
    if (!::InsertMenuItemW(popup_, ::GetMenuItemCount(popup_), TRUE, &info))
        return -1;
    items_.push_back(std::move(entry));
    return static_cast<int>(items_.size()) - 1;
}

void TztPluginMenu::SetCaption(const wchar_t* caption) {
    const int position = parent_ ? PopupPosition(parent_, popup_) : -1;
    if (position < 0)
        return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(caption ? caption : L"");
    ::SetMenuItemInfoW(parent_, static_cast<UINT>(position), TRUE, &info);
}

void TztPluginMenu::SetItemCaption(int index, const wchar_t* caption) {
    const UINT id = ItemId(index);
    if (id == 0)
        return;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(caption ? caption : L"");
    ::SetMenuItemInfoW(popup_, id, FALSE, &info);
}

UINT TztPluginMenu::ItemId(int index) const noexcept {
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return 0;
    return items_[static_cast<size_t>(index)]->id;
}

void TztPluginMenu::Destroy() noexcept {
    while (!items_.empty()) {
        if (popup_)
            ::DeleteMenu(popup_, items_.back()->id, MF_BYCOMMAND);
        items_.pop_back();
    }
    if (popup_) {
        // RemoveMenu keeps the popup alive; it is destroyed here, once.
        const int position = parent_ ? PopupPosition(parent_, popup_) : -1;
        if (position >= 0)
            ::RemoveMenu(parent_, static_cast<UINT>(position), MF_BYPOSITION);
        ::DestroyMenu(popup_);
    }
    parent_ = nullptr;
    popup_ = nullptr;
    id_ = 0;
}

// ---- TztPlugin ----------------------------------------------------------------------

TztPlugin* ztPluginObject() noexcept {
    return gPluginObject;
}

void ztSetPluginObject(TztPlugin* plugin) noexcept {
    if (!gPluginObject)
        gPluginObject = plugin;
}

TztPlugin::~TztPlugin() {
    if (gPluginObject == this)
        gPluginObject = nullptr;
    UnsubscribeSetup();
    if (IUnknown* manager = std::exchange(manager_, nullptr))
        manager->Release();
}

HRESULT STDMETHODCALLTYPE TztPlugin::QueryInterface(REFIID riid, void** object) {
    if (!object)
        return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IztPlugin)) {
        *object = static_cast<IztPlugin*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TztPlugin::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&refCount_));
}

ULONG STDMETHODCALLTYPE TztPlugin::Release() {
    const LONG count = ::InterlockedDecrement(&refCount_);
    // While Finalize runs, Finalize itself deletes the object.
    if (count == 0 && !finalizing_)
        Destroy();
    return static_cast<ULONG>(count < 0 ? 0 : count);
}

void STDMETHODCALLTYPE TztPlugin::Configure() {
    try {
        if (OnConfigure)
            OnConfigure(*this);
    } catch (...) {
        ztDebugCaught(L"TztPlugin::Configure");
    }
}

BOOL STDMETHODCALLTYPE TztPlugin::Initialize(IUnknown* manager) {
    try {
        if (manager)
            manager->AddRef();
        if (IUnknown* old = std::exchange(manager_, manager))
            old->Release();
        bool allowLoad = true;
        if (OnInitialize)
            OnInitialize(*this, allowLoad);
        if (allowLoad)
            SubscribeSetup();
        return allowLoad ? TRUE : FALSE;
    } catch (...) {
        ztDebugCaught(L"TztPlugin::Initialize");
        return FALSE;
    }
}

BOOL STDMETHODCALLTYPE TztPlugin::Finalize() {
    finalizing_ = true;
    UnsubscribeSetup();
    bool result = true;
    try {
        if (OnFinalize)
            OnFinalize(*this, result);
    } catch (...) {
        ztDebugCaught(L"TztPlugin::Finalize");
        result = false;
    }
    Destroy();
    return result ? TRUE : FALSE;
}

TztComRef<IztPluginMan> TztPlugin::PluginMan() const noexcept {
    return TztComRef<IztPluginMan>::Query(manager_, IID_IztPluginMan);
}

std::wstring TztPlugin::NameText() {
    return ztTakeBstr(GetName());
}

std::wstring TztPlugin::LangText(const wchar_t* key) {
    const std::wstring name = NameText();
    if (name.empty())
        return {};
    return TztLangModule(name.c_str()).Translate(key);
}

BSTR TztPlugin::LangBstr(const wchar_t* key) noexcept {
    try {
        return ztAllocBstr(LangText(key));
    } catch (...) {
        ztDebugCaught(L"TztPlugin::LangBstr");
        return nullptr;
    }
}

void TztPlugin::Destroy() noexcept {
    delete this;
}

void TztPlugin::SubscribeSetup() noexcept {
    const TztComRef<IztPluginMan> manager = PluginMan();
    if (!manager)
        return;
    if (OnCreateSetupPage && !setupCreated_)
        setupCreated_ = manager->Subscribe(msgSetupCreated, &TztPlugin::SetupMessage, this, 0, 0);
    if (OnSetupClosed && !setupClosed_)
        setupClosed_ = manager->Subscribe(msgSetupClosed, &TztPlugin::SetupMessage, this, 0, 0);
}

void TztPlugin::UnsubscribeSetup() noexcept {
    if (!setupCreated_ && !setupClosed_)
        return;
    if (const TztComRef<IztPluginMan> manager = PluginMan()) {
        if (setupCreated_)
            manager->Unsubscribe(&setupCreated_);
        if (setupClosed_)
            manager->Unsubscribe(&setupClosed_);
    }
    setupCreated_ = nullptr;
    setupClosed_ = nullptr;
}

int STDMETHODCALLTYPE TztPlugin::SetupMessage(int msg, INT_PTR param1, INT_PTR, void* self) {
    auto* plugin = static_cast<TztPlugin*>(self);
    try {
        if (msg == msgSetupCreated && plugin->OnCreateSetupPage) {
            HWND page = plugin->OnCreateSetupPage(*plugin, reinterpret_cast<HWND>(param1));
            if (!page)
                return 0;
            const TztComRef<IZentikAPI> api = ztGetAPI();
            if (!api || !api->AddSetupPage(page, static_cast<IztPlugin*>(plugin)))
                ::DestroyWindow(page);
        } else if (msg == msgSetupClosed && plugin->OnSetupClosed) {
            plugin->OnSetupClosed(*plugin, param1 != 0);
        }
    } catch (...) {
        ztDebugCaught(L"TztPlugin::SetupMessage");
    }
    return 0; // the other plug-ins hear it too
}

#pragma once
// The plug-in contract: the interface every plug-in object implements (IztPlugin), the
// plug-in manager as plug-ins see it (IztPluginMan) and the notification codes of its
// message bus.
//
// Life cycle of a plug-in, as the host drives it (all on the main thread):
//   1. the host loads the library and calls its export ztRegisterPlugin, which creates
//      the plug-in's single object and returns it as IUnknown;
//   2. the host queries IztPlugin and checks GetMaxInstances and GetName;
//   3. Initialize(manager): the plug-in registers commands, subscribes to notifications
//      and reads its settings; returning FALSE makes the host release the library;
//   4. any number of identity calls and Configure;
//   5. Finalize: the plug-in unsubscribes, deletes its commands, saves its settings and
//      destroys its object; the host never touches the interface again, not even to
//      release it, and then frees the library.
// No exception may leave any of these calls.

#include <windows.h>
#include <unknwn.h>

#include "zentik/ztCmnd.h"

// {702C8265-9029-49F5-84F6-497B7ECE33C1}
inline constexpr IID IID_IztPlugin = {
    0x702C8265, 0x9029, 0x49F5, {0x84, 0xF6, 0x49, 0x7B, 0x7E, 0xCE, 0x33, 0xC1}};

struct IztPlugin : public IUnknown {
    // "Word.Zentik": the plug-in's unique name, language module and registry sub-key.
    virtual BSTR STDMETHODCALLTYPE GetName() = 0;
    // The text of key "Caption" of the plug-in's language module.
    virtual BSTR STDMETHODCALLTYPE GetCaption() = 0;
    virtual BSTR STDMETHODCALLTYPE GetVersion() = 0;
    virtual BSTR STDMETHODCALLTYPE GetAuthor() = 0;
    virtual BSTR STDMETHODCALLTYPE GetNotice() = 0;
    // The text of key "Description" of the plug-in's language module.
    virtual BSTR STDMETHODCALLTYPE GetDescription() = 0;
    // How many plug-ins of this name may be loaded at once; negative: no limit.
    virtual int STDMETHODCALLTYPE GetMaxInstances() = 0;
    virtual void STDMETHODCALLTYPE Configure() = 0;
    // manager: the plug-in manager (query IztPluginMan). TRUE keeps the plug-in loaded.
    virtual BOOL STDMETHODCALLTYPE Initialize(IUnknown* manager) = 0;
    // Destroys the plug-in object; the result is ignored.
    virtual BOOL STDMETHODCALLTYPE Finalize() = 0;
};

// The export of every plug-in library (undecorated name "ztRegisterPlugin").
typedef void(STDMETHODCALLTYPE* ZT_REGISTER_PLUGIN)(IUnknown** plugin);

// Notification codes of the message bus. Param2 is 0 for every code the host sends.
enum ZtMessage : int {
    msgSecond = 1,        // Param1: pointer to the current date-time value (double)
    msgClosing = 3,       // the clock is closing; no notification follows
    msgTimeChanged = 5,   // Param1: address of the host's current-time function
    msgShown = 6,         // the clock window was shown
    msgHidden = 7,        // the clock window was hidden
    msgSetupCreated = 8,  // Param1: the options dialog
    msgSetupClosed = 9,   // Param1: 1 after OK, 0 after Cancel
    msgSaving = 10,       // the host saves its settings: save yours
    msgPanelResized = 11, // Param1: the LCD panel (IUnknown*)
    msgWindowMoved = 12,  // Param1: the clock window (IUnknown*)
    msgClockChanged = 13, // Param1: pointer to the current date-time value
    msgMinute = 60,       // Param1 as msgSecond, for each unit
    msgHour = 3600,
    msgDay = 86400,
    msgMonth = 2592000,
    msgYear = 31104000,
};

// A subscriber: returns non-zero to stop a broadcast (0 to refuse a query).
typedef int(STDMETHODCALLTYPE* ZT_MSG_CALLBACK)(int msg, INT_PTR param1, INT_PTR param2,
                                                void* userData);
// A subscription; null is none.
typedef struct ZT_SUBSCRIPTION_* ZT_SUBSCRIPTION;
// Subscription flag: run the callback on the main thread.
inline constexpr WORD ZT_SUBSCRIBE_MAIN_THREAD = 1;

// {BA7ADADD-FFD1-40B4-9C71-555F1DCFF250}
inline constexpr IID IID_IztPluginMan = {
    0xBA7ADADD, 0xFFD1, 0x40B4, {0x9C, 0x71, 0x55, 0x5F, 0x1D, 0xCF, 0xF2, 0x50}};

// The plug-in manager. Not reference counted: it lives as long as the clock window.
// Failures are results, never exceptions: a bad index gives null (GetPlugin,
// GetPluginHandle) or E_INVALIDARG (UnloadPlugin); LoadPlugin reports E_FAIL after the
// host has shown its message.
struct IztPluginMan : public IUnknown {
    // Not counted: valid while the plug-in stays loaded.
    virtual IztPlugin* STDMETHODCALLTYPE GetPlugin(int index) = 0;
    // First loaded plug-in whose GetName equals name exactly; -1 if none.
    virtual int STDMETHODCALLTYPE IndexOfPlugin(const wchar_t* name) = 0;
    virtual HMODULE STDMETHODCALLTYPE GetPluginHandle(int index) = 0;
    virtual int STDMETHODCALLTYPE GetPluginCount() = 0;
    // fileName: full path of one library.
    virtual HRESULT STDMETHODCALLTYPE LoadPlugin(const wchar_t* fileName) = 0;
    virtual void STDMETHODCALLTYPE LoadPlugins() = 0;
    virtual HRESULT STDMETHODCALLTYPE UnloadPlugin(int index) = 0;
    virtual void STDMETHODCALLTYPE UnloadAllPlugins() = 0;
    // The plug-in folder relative to the program's folder ("Plugins").
    virtual BSTR STDMETHODCALLTYPE GetPluginFolder() = 0;
    // Calls the subscribers of msg, highest priority first, until one returns non-zero.
    virtual void STDMETHODCALLTYPE Broadcast(int msg, INT_PTR param1, INT_PTR param2) = 0;
    // Null when the subscription could not be made.
    virtual ZT_SUBSCRIPTION STDMETHODCALLTYPE Subscribe(int msg, ZT_MSG_CALLBACK callback,
                                                        void* userData, WORD priority,
                                                        WORD flags) = 0;
    // S_OK and *handle cleared; E_FAIL (0x80004005) for a null handle or a failure.
    virtual HRESULT STDMETHODCALLTYPE Unsubscribe(ZT_SUBSCRIPTION* handle) = 0;
    // 1 when every subscriber returned non-zero (or none exists), else 0.
    virtual int STDMETHODCALLTYPE Query(int msg, INT_PTR param1, INT_PTR param2) = 0;
    // Announces a command: a name whose second character is 'm' gets a clock menu item
    // (caption, hint), one whose third character is '_' becomes a command of IztCmnd.
    virtual void STDMETHODCALLTYPE NewCommand(IUnknown* plugin, const wchar_t* caption,
                                              const wchar_t* data, const wchar_t* hint,
                                              ZT_CMND_PROC proc) = 0;
    virtual void STDMETHODCALLTYPE DelCommand(IUnknown* plugin, const wchar_t* data) = 0;
    // Runs callback on the main thread and returns its result; the caller waits.
    virtual int STDMETHODCALLTYPE SyncCall(ZT_MSG_CALLBACK callback, int msg, INT_PTR param1,
                                           INT_PTR param2, void* userData) = 0;
};

// Menu items of plug-ins.
// The clock window (IZentik::GetHandle) publishes the popup menu that holds plug-in items
// as its window property ZT_PLUGINS_ITEMS (an HMENU); the host shows that submenu in the
// clock menu while it holds at least one item. An item a plug-in adds there (at any
// depth) has a command id between ZT_PLUGIN_MENU_FIRST_ID and ZT_PLUGIN_MENU_LAST_ID that
// no other item of the submenu uses, and in its item data (MENUITEMINFOW::dwItemData) the
// address of a ZT_MENU_ACTION that stays valid while the item exists. When the user picks
// an item of that id range, the host calls ztRunMenuAction.
inline constexpr wchar_t ZT_PLUGINS_ITEMS[] = L"PluginsItems";
inline constexpr UINT ZT_PLUGIN_MENU_FIRST_ID = 0x8000;
inline constexpr UINT ZT_PLUGIN_MENU_LAST_ID = 0xBFFF;

struct ZT_MENU_ACTION {
    UINT size; // sizeof(ZT_MENU_ACTION)
    ZT_CMND_PROC proc;
};

// Runs the routine of the plug-in item id found in menu or its submenus with sender;
// FALSE when id is outside the plug-in range or no such item carries a routine.
inline BOOL ztRunMenuAction(HMENU menu, UINT id, IUnknown* sender) noexcept {
    if (!menu || id < ZT_PLUGIN_MENU_FIRST_ID || id > ZT_PLUGIN_MENU_LAST_ID)
        return FALSE;
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!::GetMenuItemInfoW(menu, id, FALSE, &info) || !info.dwItemData)
        return FALSE;
    const auto* action = reinterpret_cast<const ZT_MENU_ACTION*>(info.dwItemData);
    if (action->size != sizeof(ZT_MENU_ACTION) || !action->proc)
        return FALSE;
    action->proc(sender);
    return TRUE;
}

#include "host/clock_menu.h"

#include <iterator>

#include "zentik/ztPluginInt.h"

namespace zt {
namespace {

constexpr const wchar_t* kItemNames[] = {
    L"AlwaysOnTop",    L"HideItem", L"LockItem",  L"PluginsItems", L"ConfigItems",
    L"AlarmClockItem", L"HelpItem", L"ClockDown", L"CloseClock",   L"AboutItem"};
static_assert(std::size(kItemNames) == TztClockMenu::kAboutItem);

// Ids of the items the host adds for announced commands; plug-ins' own items use
// ZT_PLUGIN_MENU_FIRST_ID and above.
constexpr UINT kFirstCommandItem = 1000;
constexpr UINT kCommandItemCount = ZT_PLUGIN_MENU_FIRST_ID - kFirstCommandItem;

bool InCode(ZT_CMND_PROC proc, std::uintptr_t begin, std::uintptr_t end) {
    const auto address = reinterpret_cast<std::uintptr_t>(proc);
    return address >= begin && address < end;
}

// Removes the plug-ins' own items under menu (at any depth) whose action or routine lies
// in [begin, end), and submenus left empty by that; how many items went.
std::size_t DeleteActionsInCode(HMENU menu, std::uintptr_t begin, std::uintptr_t end) {
    std::size_t removed = 0;
    for (int i = ::GetMenuItemCount(menu) - 1; i >= 0; --i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
        if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info))
            continue;
        if (info.hSubMenu) {
            const std::size_t inside = DeleteActionsInCode(info.hSubMenu, begin, end);
            removed += inside;
            if (inside > 0 && ::GetMenuItemCount(info.hSubMenu) == 0)
                ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            continue;
        }
        if (info.wID < ZT_PLUGIN_MENU_FIRST_ID || info.wID > ZT_PLUGIN_MENU_LAST_ID ||
            !info.dwItemData)
            continue;
        // Read while the library is still loaded: the action must stay valid while its
        // item exists.
        const auto* action = reinterpret_cast<const ZT_MENU_ACTION*>(info.dwItemData);
        const bool actionInCode = info.dwItemData >= begin && info.dwItemData < end;
        if (actionInCode ||
            (action->size == sizeof(ZT_MENU_ACTION) && InCode(action->proc, begin, end))) {
            ::DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
            ++removed;
        }
    }
    return removed;
}

} // namespace

TztClockMenu::TztClockMenu(HWND window) : window_(window), pluginsMenu_(::CreatePopupMenu()) {
    if (pluginsMenu_ && window_)
        ::SetPropW(window_, ZT_PLUGINS_ITEMS, pluginsMenu_.get());
}

TztClockMenu::~TztClockMenu() {
    if (window_ && ::IsWindow(window_))
        ::RemovePropW(window_, ZT_PLUGINS_ITEMS);
}

void TztClockMenu::Translate(const std::function<std::wstring(const std::wstring& key)>& text) {
    for (UINT i = 0; i < std::size(kItemNames); ++i)
        captions_[i] = text(std::wstring(L"Menu=") + kItemNames[i]);
}

UINT TztClockMenu::Show(POINT at, const State& state) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu)
        return 0;
    auto caption = [&](UINT id) {
        const std::wstring& text = captions_[id - 1];
        return text.empty() ? kItemNames[id - 1] : text.c_str();
    };
    auto add = [&](UINT id, bool checked) {
        ::AppendMenuW(menu.get(), MF_STRING | (checked ? MF_CHECKED : 0), id, caption(id));
    };
    add(kAlwaysOnTop, state.onTop);
    add(kHideItem, state.hideOnMouseOver);
    add(kLockItem, state.locked);
    // Plug-ins show PluginsItems by filling it; once shown it stays.
    if (pluginsMenu_ && ::GetMenuItemCount(pluginsMenu_.get()) > 0)
        pluginsItemsVisible_ = true;
    const bool showPlugins = pluginsMenu_ && pluginsItemsVisible_;
    constexpr UINT kPluginsPosition = 4;
    if (showPlugins) {
        ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr); // Nplg_u
        ::AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(pluginsMenu_.get()),
                      caption(kPluginsItems));
        ::SetMenuDefaultItem(menu.get(), kPluginsPosition, TRUE);
    }
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr); // Nplg_d
    add(kConfigItems, false);
    add(kAlarmClockItem, false);
    add(kAboutItem, false);
    if (state.helpItem)
        add(kHelpItem, false);
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    add(kClockDown, false);
    add(kCloseClock, false);
    ::SetForegroundWindow(window_);
    const UINT id = static_cast<UINT>(::TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                       at.x, at.y, 0, window_, nullptr));
    ::PostMessageW(window_, WM_NULL, 0, 0);
    // PluginsItems outlives this menu: detach it before the menu is destroyed.
    if (showPlugins)
        ::RemoveMenu(menu.get(), kPluginsPosition, MF_BYPOSITION);
    return id;
}

bool TztClockMenu::RunPluginItem(UINT id, IUnknown* sender) {
    if (id >= kFirstCommandItem && id - kFirstCommandItem < kCommandItemCount) {
        for (const CommandItem& item : commandItems_) {
            if (item.id == id && item.proc) {
                item.proc(sender);
                break;
            }
        }
        return true;
    }
    return ztRunMenuAction(pluginsMenu_.get(), id, sender) != FALSE;
}

void TztClockMenu::AddCommandItem(const std::wstring& name, const std::wstring& caption,
                                  ZT_CMND_PROC proc) {
    if (!pluginsMenu_ || nextCommandItem_ >= kCommandItemCount)
        return;
    const UINT id = kFirstCommandItem + nextCommandItem_++;
    commandItems_.reserve(commandItems_.size() + 1);
    if (::AppendMenuW(pluginsMenu_.get(), MF_STRING, id, caption.c_str())) {
        commandItems_.push_back({name + L"item", id, proc});
        pluginsItemsVisible_ = true;
    }
}

void TztClockMenu::DeleteCommandItem(const std::wstring& name) {
    const std::wstring itemName = name + L"item";
    std::erase_if(commandItems_, [&](const CommandItem& item) {
        if (item.name != itemName)
            return false;
        ::DeleteMenu(pluginsMenu_.get(), item.id, MF_BYCOMMAND);
        return true;
    });
}

std::size_t TztClockMenu::DeleteItemsInCode(std::uintptr_t begin, std::uintptr_t end) {
    const std::size_t own = pluginsMenu_ ? DeleteActionsInCode(pluginsMenu_.get(), begin, end) : 0;
    return own + std::erase_if(commandItems_, [&](const CommandItem& item) {
               if (!InCode(item.proc, begin, end))
                   return false;
               ::DeleteMenu(pluginsMenu_.get(), item.id, MF_BYCOMMAND);
               return true;
           });
}

} // namespace zt

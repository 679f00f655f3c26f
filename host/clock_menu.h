#pragma once
// The clock's popup menu: the built-in items with their translated captions, and the
// lasting PluginsItems submenu. PluginsItems lives as long as the window and is published
// as the window's property ZT_PLUGINS_ITEMS, so plug-ins can add items of their own; the
// host adds an item for each announced plug-in command whose name has 'm' second.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/handles.h"
#include "zentik/ztCmnd.h"

namespace zt {

class TztClockMenu {
public:
    // The built-in items in menu order; the ids double as indexes into the captions.
    enum Item : UINT {
        kAlwaysOnTop = 1,
        kHideItem,
        kLockItem,
        kPluginsItems,
        kConfigItems,
        kAlarmClockItem,
        kHelpItem,
        kClockDown,
        kCloseClock,
        kAboutItem,
    };
    // The state the menu shows.
    struct State {
        bool onTop = false;
        bool hideOnMouseOver = false;
        bool locked = false;
        bool helpItem = false; // the help file exists
    };

    // Creates PluginsItems and publishes it on window.
    explicit TztClockMenu(HWND window);
    ~TztClockMenu();
    TztClockMenu(const TztClockMenu&) = delete;
    TztClockMenu& operator=(const TztClockMenu&) = delete;

    // Captions from "Menu=<item name>" through text; an empty text shows the item's name.
    void Translate(const std::function<std::wstring(const std::wstring& key)>& text);
    // Shows the menu at a screen point; the id picked, or 0.
    UINT Show(POINT at, const State& state);
    // Runs the plug-in item id (the host's or a plug-in's own) with sender; false when id
    // is no plug-in item.
    bool RunPluginItem(UINT id, IUnknown* sender);

    // An item for the plug-in command name under PluginsItems.
    void AddCommandItem(const std::wstring& name, const std::wstring& caption, ZT_CMND_PROC proc);
    void DeleteCommandItem(const std::wstring& name);
    // Removes the items whose routine lies in [begin, end) (a library about to be freed):
    // the host's command items and the plug-ins' own items.
    std::size_t DeleteItemsInCode(std::uintptr_t begin, std::uintptr_t end);

    HMENU PluginsItems() const noexcept { return pluginsMenu_.get(); }

private:
    struct CommandItem {
        std::wstring name; // the command name with "item" appended
        UINT id;
        ZT_CMND_PROC proc;
    };

    HWND window_;
    UniqueMenu pluginsMenu_;
    std::vector<CommandItem> commandItems_;
    UINT nextCommandItem_ = 0;
    bool pluginsItemsVisible_ = false;
    std::wstring captions_[kAboutItem];
};

} // namespace zt

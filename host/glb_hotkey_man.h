#pragma once
// System-wide hot keys of the main window. Each registered binding name owns one
// reference to the global atom of that name, and the atom is the hot-key id, so a
// WM_HOTKEY leads back to its name and from there to the binding row and its command
// line. Names compare without regard to case, as atom names do.
//
// The window registers every "HotKey_" row after its settings are restored and
// unregisters them all when it closes (and around editing of the bindings). GUI thread
// only: hot keys are delivered to the window's queue.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zt {

struct HotKeyEntry {
    std::wstring name;
    ATOM id = 0;
};

class TztGlbHotKeyMan {
public:
    // window receives WM_HOTKEY.
    explicit TztGlbHotKeyMan(HWND window) noexcept : window_(window) {}
    // Releases whatever is still registered (hot key and atom reference).
    ~TztGlbHotKeyMan();
    TztGlbHotKeyMan(const TztGlbHotKeyMan&) = delete;
    TztGlbHotKeyMan& operator=(const TztGlbHotKeyMan&) = delete;

    // Registers name with the given MOD_* flags and virtual key. A name already listed
    // keeps its id; a new one takes a reference to the global atom of its name. Returns
    // whether the system accepted the combination (one taken elsewhere simply stays
    // inactive; the name stays listed either way). A name that cannot become an atom
    // (longer than 255 characters) is neither listed nor registered.
    bool Register(const std::wstring& name, UINT modifiers, UINT virtualKey);
    // Unregisters a listed name and releases its atom reference. For a name that is not
    // listed only the hot key of the window with that atom's id is removed: the atom
    // belongs to someone else.
    void Unregister(const std::wstring& name);

    // Index of the entry with this id in HotKeyNames(), or -1.
    int IndexOfId(int id) const noexcept;
    const std::vector<HotKeyEntry>& HotKeyNames() const noexcept { return names_; }
    HWND Window() const noexcept { return window_; }

private:
    int IndexOfName(std::wstring_view name) const noexcept;

    HWND window_;
    std::vector<HotKeyEntry> names_;
};

// The binding rows of the main window (name, value), without the title row.
using BindingRows = std::vector<std::pair<std::wstring, std::wstring>>;

// Registers (doRegister) or unregisters every "HotKey_" row of rows in order; rows
// named exactly "HotKey_" are ignored. Returns the names of rows skipped because their
// "Ext(" key number is not a decimal number (only when registering).
std::vector<std::wstring> RegisterAll(TztGlbHotKeyMan& manager, const BindingRows& rows,
                                      bool doRegister);

// The command line bound to the hot key with this WM_HOTKEY id: the value of the first
// row named like the listed entry (case-insensitive). Nothing for an unknown id or a
// row that is gone.
std::optional<std::wstring> HotKeyCommandLine(const TztGlbHotKeyMan& manager,
                                              const BindingRows& rows, WPARAM id);

} // namespace zt

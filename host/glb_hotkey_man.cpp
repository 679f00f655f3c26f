#include "host/glb_hotkey_man.h"

#include "host/hotkey_text.h"

namespace zt {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

TztGlbHotKeyMan::~TztGlbHotKeyMan() {
    for (const HotKeyEntry& entry : names_) {
        ::UnregisterHotKey(window_, entry.id);
        ::GlobalDeleteAtom(entry.id);
    }
}

bool TztGlbHotKeyMan::Register(const std::wstring& name, UINT modifiers, UINT virtualKey) {
    ATOM id = 0;
    if (const int index = IndexOfName(name); index >= 0) {
        id = names_[static_cast<size_t>(index)].id;
    } else {
        // Adding finds an existing atom too and takes a reference of our own, so that
        // releasing it never removes an atom another program still relies on.
        id = ::GlobalAddAtomW(name.c_str());
        if (id == 0)
            return false;
        try {
            names_.push_back({name, id});
        } catch (...) {
            ::GlobalDeleteAtom(id);
            throw;
        }
    }
    return ::RegisterHotKey(window_, id, modifiers, virtualKey) != FALSE;
}

void TztGlbHotKeyMan::Unregister(const std::wstring& name) {
    if (const int index = IndexOfName(name); index >= 0) {
        const ATOM id = names_[static_cast<size_t>(index)].id;
        names_.erase(names_.begin() + index);
        ::UnregisterHotKey(window_, id);
        ::GlobalDeleteAtom(id);
        return;
    }
    if (const ATOM id = ::GlobalFindAtomW(name.c_str()); id != 0)
        ::UnregisterHotKey(window_, id);
}

int TztGlbHotKeyMan::IndexOfId(int id) const noexcept {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (names_[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

int TztGlbHotKeyMan::IndexOfName(std::wstring_view name) const noexcept {
    for (size_t i = 0; i < names_.size(); ++i) {
        if (SameName(names_[i].name, name))
            return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::wstring> RegisterAll(TztGlbHotKeyMan& manager, const BindingRows& rows,
                                      bool doRegister) {
    std::vector<std::wstring> skipped;
    for (const auto& [name, value] : rows) {
        const HotKeyName parsed = ParseHotKeyName(name);
        if (parsed.kind == HotKeyNameKind::NotHotKey || parsed.kind == HotKeyNameKind::Empty)
            continue;
        if (!doRegister) {
            manager.Unregister(name);
        } else if (parsed.kind == HotKeyNameKind::BadKeyNumber) {
            skipped.push_back(name);
        } else {
            manager.Register(name, parsed.modifiers, parsed.virtualKey);
        }
    }
    return skipped;
}

std::optional<std::wstring> HotKeyCommandLine(const TztGlbHotKeyMan& manager,
                                              const BindingRows& rows, WPARAM id) {
    // Atoms are 16-bit; anything wider is not one of ours.
    if (id > 0xFFFF)
        return std::nullopt;
    const int index = manager.IndexOfId(static_cast<int>(id));
    if (index < 0)
        return std::nullopt;
    const std::wstring& name = manager.HotKeyNames()[static_cast<size_t>(index)].name;
    for (const auto& [rowName, value] : rows) {
        if (SameName(rowName, name))
            return value;
    }
    return std::nullopt;
}

} // namespace zt

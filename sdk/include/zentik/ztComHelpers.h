#pragma once
// Owners for what crosses the plug-in interfaces: interface references (TztComRef) and
// BSTR texts (TztBstr), with the helpers for texts going in and out and for the clock's
// objects. Header only: the host, the host API library, the options library and every
// plug-in use these.

#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "zentik/ztZentikInterface.h"

// An owned interface reference: released when replaced or destroyed. Move-only.
template <class I> class TztComRef {
public:
    TztComRef() noexcept = default;
    TztComRef(const TztComRef&) = delete;
    TztComRef& operator=(const TztComRef&) = delete;
    TztComRef(TztComRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    TztComRef& operator=(TztComRef&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }
    ~TztComRef() { reset(); }

    // Takes over a reference already counted for the caller.
    static TztComRef Attach(I* ptr) noexcept {
        TztComRef ref;
        ref.ptr_ = ptr;
        return ref;
    }
    // QueryInterface of source; empty when source is null or does not offer iid.
    static TztComRef Query(IUnknown* source, REFIID iid) noexcept {
        TztComRef ref;
        void* found = nullptr;
        if (source && SUCCEEDED(source->QueryInterface(iid, &found)))
            ref.ptr_ = static_cast<I*>(found);
        return ref;
    }

    I* get() const noexcept { return ptr_; }
    I* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    // Drops the held reference and takes over ptr (already counted).
    void reset(I* ptr = nullptr) noexcept {
        if (I* old = std::exchange(ptr_, ptr))
            old->Release();
    }
    // Hands the reference over to the caller.
    I* release() noexcept { return std::exchange(ptr_, nullptr); }
    // For an out-parameter (I**): drops the held reference first.
    I** put() noexcept {
        reset();
        return &ptr_;
    }
    // For an out-parameter typed void** (QueryInterface and the like).
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

private:
    I* ptr_ = nullptr;
};

// An owned BSTR, freed with SysFreeString. Move-only.
class TztBstr {
public:
    TztBstr() noexcept = default;
    explicit TztBstr(BSTR text) noexcept : text_(text) {}
    TztBstr(const TztBstr&) = delete;
    TztBstr& operator=(const TztBstr&) = delete;
    TztBstr(TztBstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    TztBstr& operator=(TztBstr&& other) noexcept {
        if (this != &other) {
            ::SysFreeString(text_);
            text_ = std::exchange(other.text_, nullptr);
        }
        return *this;
    }
    ~TztBstr() { ::SysFreeString(text_); }

    BSTR get() const noexcept { return text_; }
    // Null counts as empty.
    const wchar_t* c_str() const noexcept { return text_ ? text_ : L""; }
    std::wstring str() const { return text_ ? std::wstring(text_, ::SysStringLen(text_)) : L""; }
    BSTR release() noexcept { return std::exchange(text_, nullptr); }
    // For an out-parameter (BSTR*): frees the held text first.
    BSTR* put() noexcept {
        ::SysFreeString(std::exchange(text_, nullptr));
        return &text_;
    }

private:
    BSTR text_ = nullptr;
};

// A null text counts as empty.
inline std::wstring_view ztTextView(const wchar_t* text) noexcept {
    return text ? std::wstring_view(text) : std::wstring_view();
}

// A new BSTR holding text; null when memory ran out or the text is too long for a BSTR
// (its length in bytes must fit the 32-bit prefix).
inline BSTR ztAllocBstr(std::wstring_view text) noexcept {
    if (text.size() > std::numeric_limits<UINT>::max() / sizeof(OLECHAR))
        return nullptr;
    return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// The text of a BSTR received from an interface (null counts as empty); frees the BSTR.
inline std::wstring ztTakeBstr(BSTR text) {
    return TztBstr(text).str();
}

// The object zentik->GetInterface(kind) hands out, as interface iid: a counted reference,
// empty when zentik is null or the object is missing or lacks iid. For ztiNewTimer the
// caller's reference that comes with the new timer is taken over, so nothing leaks.
template <class I>
TztComRef<I> ztHostInterface(IZentik* zentik, ZtInterfaceKind kind, REFIID iid) noexcept {
    if (!zentik)
        return {};
    IUnknown* object = zentik->GetInterface(kind);
    if (kind == ztiNewTimer) {
        const TztComRef<IUnknown> made = TztComRef<IUnknown>::Attach(object);
        return TztComRef<I>::Query(made.get(), iid);
    }
    return TztComRef<I>::Query(object, iid);
}

#pragma once
// The language manager: user texts of the clock and its plug-ins.
//
// Texts are found by module and key. The module is the name of a language file (the
// clock and its options use "Zentik", a plug-in its own name); a key is "section=ident",
// or an ident alone for section "DEFAULT". Usage:
//
//     ZT_LANG_MODULE module = lang->OpenModule(L"Scheduler.Zentik");
//     BSTR caption = lang->Translate(module, L"Caption");
//     ...
//     SysFreeString(caption);
//     lang->CloseModule(module); // also when something failed in between
//
// Keys missing in the current language come from the Russian texts, then as an empty
// text. "\n" in a text becomes a line break. Texts come back as BSTRs the caller frees
// with SysFreeString; an empty text is an empty BSTR, null only when memory ran out.
// The manager may be used from any thread; no exception crosses these calls.

#include <windows.h>
#include <unknwn.h>

// An open language module; null is none.
typedef struct ZT_LANG_MODULE_* ZT_LANG_MODULE;

// {FEC9583D-48B5-4592-8B4A-60DA27435194}
inline constexpr IID IID_IztLanguageMan = {
    0xFEC9583D, 0x48B5, 0x4592, {0x8B, 0x4A, 0x60, 0xDA, 0x27, 0x43, 0x51, 0x94}};

struct IztLanguageMan : public IUnknown {
    // "<display name>=<code>;<display name>=<code>..." of every installed language that
    // has a file for module, without a trailing ';'.
    virtual BSTR STDMETHODCALLTYPE GetLanguageList(const wchar_t* module) = 0;
    // Selects a language by code (at most 3 characters are used; empty selects "en") and
    // re-reads every open module in it.
    virtual void STDMETHODCALLTYPE SetLanguage(const wchar_t* code) = 0;
    // The current language code.
    virtual BSTR STDMETHODCALLTYPE GetLanguage() = 0;
    // Opens a module (shared with its other users); null on failure.
    virtual ZT_LANG_MODULE STDMETHODCALLTYPE OpenModule(const wchar_t* name) = 0;
    // The text of a key in an open module.
    virtual BSTR STDMETHODCALLTYPE Translate(ZT_LANG_MODULE module, const wchar_t* key) = 0;
    // Closes a module handle from OpenModule.
    virtual void STDMETHODCALLTYPE CloseModule(ZT_LANG_MODULE module) = 0;
    // Keeps modules nobody uses in memory until the matching ReleaseHold.
    virtual void STDMETHODCALLTYPE Hold() = 0;
    // Drops one Hold; with none left, modules nobody uses are freed. (Not named Release:
    // that name belongs to IUnknown's reference count.)
    virtual void STDMETHODCALLTYPE ReleaseHold() = 0;
};

#pragma once
// The command registry: named commands that clicks, hot keys, the alarm, scheduled tasks
// and menus run. The host hands it out as IZentik::GetInterface(ztiCommands).
//
// A command line is a command name, optionally followed by one blank and a parameter
// text. Look-ups by name ignore case; when a name is registered twice the earlier
// registration wins for every by-name operation until it is deleted.
//
// The registry is not reference counted: AddRef and Release return (ULONG)-1 and the
// object lives as long as the main window. It may be called from any thread; no lock is
// held while a routine or an editor runs, so a routine may itself register, delete or run
// commands. Routines must stay valid until their command is deleted; a routine that may be
// run by ExecuteInThread must be safe outside the GUI thread. No exception may leave a
// routine or an editor.
//
// Text goes in as const wchar_t* (null counts as empty) and comes out as a BSTR that the
// caller frees with SysFreeString.

#include <windows.h>
#include <unknwn.h>

// A command without parameter. sender is the registry (or the main window, for a
// command run from a menu item).
typedef void(STDMETHODCALLTYPE* ZT_CMND_PROC)(IUnknown* sender);
// A command that takes the parameter part of its command line.
typedef void(STDMETHODCALLTYPE* ZT_CMND_PARAM_PROC)(const wchar_t* param);
// Edits a parameter text and returns the new one, allocated with SysAllocString; the
// registry frees it. Closing the editor accepts.
typedef BSTR(STDMETHODCALLTYPE* ZT_CMND_EDITOR)(const wchar_t* param);

// {F50B4C2E-77CC-4A36-A46F-3C88A05F8760}
inline constexpr IID IID_IztCmnd = {
    0xF50B4C2E, 0x77CC, 0x4A36, {0xA4, 0x6F, 0x3C, 0x88, 0xA0, 0x5F, 0x87, 0x60}};

struct IztCmnd : public IUnknown {
    // Runs the command in the calling thread: -1 when no command has that name, -2 when
    // its routine failed, otherwise the command's position.
    virtual int STDMETHODCALLTYPE Execute(const wchar_t* name, const wchar_t* param) = 0;
    // Runs the command on a new thread of its own and returns at once; nothing when the
    // name is not registered. The name is looked up again in the new thread.
    virtual void STDMETHODCALLTYPE ExecuteInThread(const wchar_t* name, const wchar_t* param) = 0;
    virtual void STDMETHODCALLTYPE AddCommand(const wchar_t* name, ZT_CMND_PROC proc,
                                              const wchar_t* description) = 0;
    // editor may be null.
    virtual void STDMETHODCALLTYPE AddParamCommand(const wchar_t* name, ZT_CMND_PARAM_PROC proc,
                                                   ZT_CMND_EDITOR editor,
                                                   const wchar_t* description) = 0;
    // Removes the first command of that name.
    virtual void STDMETHODCALLTYPE DeleteCommand(const wchar_t* name) = 0;
    // Every name, each followed by CR LF.
    virtual BSTR STDMETHODCALLTYPE GetNamesText() = 0;
    // Every description, each followed by CR LF.
    virtual BSTR STDMETHODCALLTYPE GetDescriptionsText() = 0;
    // One line "name (description)" per command, each followed by CR LF.
    virtual BSTR STDMETHODCALLTYPE GetListText() = 0;
    // Splits the line at its first blank; the parameter handed to the editor keeps that
    // blank. Returns "name " plus the editor's result, or the name alone when the command
    // has no editor (the line unchanged when the editor fails).
    virtual BSTR STDMETHODCALLTYPE EditCommandLine(const wchar_t* commandLine) = 0;
    virtual void STDMETHODCALLTYPE SetEditor(const wchar_t* name, ZT_CMND_EDITOR editor) = 0;
    // Null when the name is not registered or the command has no editor.
    virtual ZT_CMND_EDITOR STDMETHODCALLTYPE GetEditor(const wchar_t* name) = 0;
    // The operations below take a zero-based position; outside the list they return null.
    // "name(description)".
    virtual BSTR STDMETHODCALLTYPE GetItemText(int index) = 0;
    virtual BSTR STDMETHODCALLTYPE GetCommandName(int index) = 0;
    virtual BSTR STDMETHODCALLTYPE GetCommandDescription(int index) = 0;
};

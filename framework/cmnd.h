#pragma once
// The command registry: command names in registration order, each with a description
// and the routines that perform and edit it.
//
// Safe to use from any thread. One lock guards the lists; it is never held while a
// routine or an editor runs, so routines may register, delete and run commands. Worker
// threads started by ExecuteInThread are counted; WaitForCommandThreads gives them a
// bounded time to finish before the code they run is unloaded.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Calling convention of routines that cross module boundaries.
#if defined(_WIN32)
#define ZT_CMND_CALL __stdcall
#else
#define ZT_CMND_CALL
#endif

struct IUnknown;

namespace zt {

// Routines as plug-ins register them (the same types as the public SDK's).
using TCmndProc = void(ZT_CMND_CALL*)(IUnknown* sender);
using TCmndParamProc = void(ZT_CMND_CALL*)(const wchar_t* param);
// Returns a text from the shared allocator (a BSTR on Windows), freed by the registry.
using TCmndEditor = wchar_t*(ZT_CMND_CALL*)(const wchar_t* param);

struct TCmndItem {
    TCmndProc Proc = nullptr;
    TCmndParamProc ParamProc = nullptr;
    TCmndEditor Editor = nullptr;
};

// What the registry needs from its platform.
struct TCmndPlatform {
    // Handed to every Proc as its sender.
    IUnknown* Sender = nullptr;
    // Frees an editor's result; null results are never passed.
    void (*FreeText)(wchar_t* text) = nullptr;
    // Runs job on a new, detached thread; false when no thread could be started.
    std::function<bool(std::function<void()> job)> StartThread;
};

class TCmnd {
public:
    // Execute's result when the name is not registered.
    static constexpr int kNotFound = -1;

    explicit TCmnd(TCmndPlatform platform);
    TCmnd(const TCmnd&) = delete;
    TCmnd& operator=(const TCmnd&) = delete;
    // Empties the lists, so that a worker that outlived WaitForCommandThreads finds
    // nothing to run.
    ~TCmnd();

    // Runs the first command of that name in the calling thread and returns its
    // position, or kNotFound. Exceptions of the routine reach the caller.
    int Execute(std::wstring_view name, std::wstring_view param);
    // Runs Execute(name, param) on a new thread; the routine's exceptions end only that
    // thread. False (and nothing started) when the name is not registered or no thread
    // could be started.
    bool ExecuteInThread(std::wstring_view name, std::wstring_view param);
    // Worker threads of ExecuteInThread that have not finished yet.
    int RunningThreads() const;
    // Waits up to timeoutMs for every worker to finish; true when none is left.
    bool WaitForCommandThreads(unsigned timeoutMs);

    void AddCommand(std::wstring_view name, TCmndProc proc, std::wstring_view description);
    void AddParamCommand(std::wstring_view name, TCmndParamProc proc, TCmndEditor editor,
                         std::wstring_view description);
    // Removes the first command of that name; false when there is none.
    bool DeleteCommand(std::wstring_view name);
    // Removes every command whose Proc, ParamProc or Editor lies in [begin, end), such as
    // the code of a library about to be freed; returns how many were removed.
    std::size_t DeleteCommandsInCode(std::uintptr_t begin, std::uintptr_t end);
    // Replaces the editor of the first command of that name; false when there is none.
    bool SetEditor(std::wstring_view name, TCmndEditor editor);
    // Null when the name is not registered or the command has no editor.
    TCmndEditor GetEditor(std::wstring_view name) const;
    // Position of the first command of that name, or -1.
    int IndexOf(std::wstring_view name) const;

    std::wstring GetNamesText() const;
    std::wstring GetDescriptionsText() const;
    std::wstring GetListText() const;
    // Runs the editor of the line's command on the line's parameter part (from the first
    // blank, blank included). Returns the name alone when the command has no editor.
    // Exceptions of the editor reach the caller.
    std::wstring EditCommandLine(std::wstring_view commandLine);

    // Positions are zero-based; outside 0..Count()-1 they throw std::out_of_range.
    std::wstring GetItemText(int index) const;
    std::wstring GetCommandName(int index) const;
    std::wstring GetCommandDescription(int index) const;

    int Count() const;
    // Length of the item array (see GrowItems).
    std::size_t ItemCapacity() const;

private:
    struct State;

    static int Run(State& state, IUnknown* sender, std::wstring_view name, std::wstring_view param);
    static void ThreadFinished(State& state);

    TCmndPlatform platform_;
    // Shared with the workers, which may outlive a timed-out wait.
    std::shared_ptr<State> state_;
};

// True when both names are equal ignoring the case of Latin and Cyrillic letters.
bool SameCommandName(std::wstring_view a, std::wstring_view b);

} // namespace zt

#include "framework/cmnd.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace zt {

namespace {

// Case folding of the letters command names use: ASCII, Latin-1 and Cyrillic.
std::uint32_t FoldCase(wchar_t c) {
    const auto u = static_cast<std::uint32_t>(c);
    if (u >= L'A' && u <= L'Z')
        return u + 0x20;
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7)
        return u + 0x20;
    if (u >= 0x410 && u <= 0x42F)
        return u + 0x20;
    if (u >= 0x400 && u <= 0x40F)
        return u + 0x50;
    return u;
}

// Owns an editor's result until the registry has copied it.
struct EditedText {
    EditedText(wchar_t* t, void (*freeText)(wchar_t*)) : text(t), freeText_(freeText) {}
    EditedText(const EditedText&) = delete;
    EditedText& operator=(const EditedText&) = delete;
    ~EditedText() {
        if (text && freeText_)
            freeText_(text);
    }
    wchar_t* const text;

private:
    void (*const freeText_)(wchar_t*);
};

void AppendLine(std::wstring& text, const std::wstring& line) {
    text += line;
    text += L"\r\n";
}

} // namespace

bool SameCommandName(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

struct TCmnd::State {
    // Guards names, descriptions and items, which stay parallel.
    mutable std::mutex lock;
    std::vector<std::wstring> names;
    std::vector<std::wstring> descriptions;
    std::vector<TCmndItem> items;

    // Guards running.
    std::mutex threadLock;
    std::condition_variable threadsDone;
    int running = 0;

    int Find(std::wstring_view name) const {
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (SameCommandName(names[i], name))
                return static_cast<int>(i);
        }
        return -1;
    }

    std::size_t Checked(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= names.size())
            throw std::out_of_range("command index out of range");
        return static_cast<std::size_t>(index);
    }

    // Adapts the item array to the number of names by at most one step: grows when a
    // name has no slot, shrinks only when more than a whole step of slots is free.
    void GrowItems() {
        const auto length = static_cast<std::ptrdiff_t>(items.size());
        const auto count = static_cast<std::ptrdiff_t>(names.size());
        std::ptrdiff_t step = 4;
        if (length > 64)
            step = length / 4;
        else if (length > 8)
            step = 16;
        if (length < count)
            items.resize(static_cast<std::size_t>(length + step));
        else if (count < length - step)
            items.resize(static_cast<std::size_t>(length - step));
    }

    // Removes the command at position, as DeleteCommand does.
    void Erase(std::size_t position) {
        names.erase(names.begin() + static_cast<std::ptrdiff_t>(position));
        descriptions.erase(descriptions.begin() + static_cast<std::ptrdiff_t>(position));
        for (std::size_t i = position; i + 1 < items.size(); ++i)
            items[i] = items[i + 1];
        items.back() = TCmndItem{};
        GrowItems();
    }

    void Append(std::wstring_view name, std::wstring_view description, const TCmndItem& item) {
        std::lock_guard guard(lock);
        // The lists stay parallel even when memory runs out half-way.
        names.emplace_back(name);
        try {
            descriptions.emplace_back(description);
        } catch (...) {
            names.pop_back();
            throw;
        }
        try {
            GrowItems();
        } catch (...) {
            names.pop_back();
            descriptions.pop_back();
            throw;
        }
        items[names.size() - 1] = item;
    }
};

TCmnd::TCmnd(TCmndPlatform platform)
    : platform_(std::move(platform)), state_(std::make_shared<State>()) {}

TCmnd::~TCmnd() {
    std::lock_guard guard(state_->lock);
    state_->names.clear();
    state_->descriptions.clear();
    state_->items.clear();
}

int TCmnd::Run(State& state, IUnknown* sender, std::wstring_view name, std::wstring_view param) {
    TCmndItem item;
    int position;
    {
        std::lock_guard guard(state.lock);
        position = state.Find(name);
        if (position < 0)
            return kNotFound;
        item = state.items[static_cast<std::size_t>(position)];
    }
    if (item.Proc) {
        item.Proc(sender);
    } else if (item.ParamProc) {
        const std::wstring text(param);
        item.ParamProc(text.c_str());
    }
    return position;
}

int TCmnd::Execute(std::wstring_view name, std::wstring_view param) {
    return Run(*state_, platform_.Sender, name, param);
}

void TCmnd::ThreadFinished(State& state) {
    std::lock_guard guard(state.threadLock);
    --state.running;
    state.threadsDone.notify_all();
}

bool TCmnd::ExecuteInThread(std::wstring_view name, std::wstring_view param) {
    if (IndexOf(name) < 0 || !platform_.StartThread)
        return false;
    {
        std::lock_guard guard(state_->threadLock);
        ++state_->running;
    }
    bool started = false;
    try {
        started = platform_.StartThread([state = state_, sender = platform_.Sender,
                                         name = std::wstring(name), param = std::wstring(param)] {
            try {
                Run(*state, sender, name, param);
            } catch (...) {
                // A failing routine ends its own worker and nothing else.
            }
            ThreadFinished(*state);
        });
    } catch (...) {
        started = false;
    }
    if (!started)
        ThreadFinished(*state_);
    return started;
}

int TCmnd::RunningThreads() const {
    std::lock_guard guard(state_->threadLock);
    return state_->running;
}

bool TCmnd::WaitForCommandThreads(unsigned timeoutMs) {
    std::unique_lock guard(state_->threadLock);
    return state_->threadsDone.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                        [this] { return state_->running == 0; });
}

void TCmnd::AddCommand(std::wstring_view name, TCmndProc proc, std::wstring_view description) {
    TCmndItem item;
    item.Proc = proc;
    state_->Append(name, description, item);
}

void TCmnd::AddParamCommand(std::wstring_view name, TCmndParamProc proc, TCmndEditor editor,
                            std::wstring_view description) {
    TCmndItem item;
    item.ParamProc = proc;
    item.Editor = editor;
    state_->Append(name, description, item);
}

bool TCmnd::DeleteCommand(std::wstring_view name) {
    std::lock_guard guard(state_->lock);
    State& s = *state_;
    const int found = s.Find(name);
    if (found < 0)
        return false;
    s.Erase(static_cast<std::size_t>(found));
    return true;
}

std::size_t TCmnd::DeleteCommandsInCode(std::uintptr_t begin, std::uintptr_t end) {
    auto inCode = [begin, end](auto routine) {
        const auto address = reinterpret_cast<std::uintptr_t>(routine);
        return routine && address >= begin && address < end;
    };
    std::lock_guard guard(state_->lock);
    State& s = *state_;
    std::size_t removed = 0;
    for (std::size_t i = s.names.size(); i-- > 0;) {
        const TCmndItem& item = s.items[i];
        if (inCode(item.Proc) || inCode(item.ParamProc) || inCode(item.Editor)) {
            s.Erase(i);
            ++removed;
        }
    }
    return removed;
}

bool TCmnd::SetEditor(std::wstring_view name, TCmndEditor editor) {
    std::lock_guard guard(state_->lock);
    const int position = state_->Find(name);
    if (position < 0)
        return false;
    state_->items[static_cast<std::size_t>(position)].Editor = editor;
    return true;
}

TCmndEditor TCmnd::GetEditor(std::wstring_view name) const {
    std::lock_guard guard(state_->lock);
    const int position = state_->Find(name);
    return position < 0 ? nullptr : state_->items[static_cast<std::size_t>(position)].Editor;
}

int TCmnd::IndexOf(std::wstring_view name) const {
    std::lock_guard guard(state_->lock);
    return state_->Find(name);
}

std::wstring TCmnd::GetNamesText() const {
    std::lock_guard guard(state_->lock);
    std::wstring text;
    for (const auto& name : state_->names)
        AppendLine(text, name);
    return text;
}

std::wstring TCmnd::GetDescriptionsText() const {
    std::lock_guard guard(state_->lock);
    std::wstring text;
    for (const auto& description : state_->descriptions)
        AppendLine(text, description);
    return text;
}

std::wstring TCmnd::GetListText() const {
    std::lock_guard guard(state_->lock);
    std::wstring text;
    for (std::size_t i = 0; i < state_->names.size(); ++i)
        AppendLine(text, state_->names[i] + L" (" + state_->descriptions[i] + L")");
    return text;
}

std::wstring TCmnd::EditCommandLine(std::wstring_view commandLine) {
    const std::size_t blank = commandLine.find(L' ');
    const std::wstring_view name = commandLine.substr(0, blank);
    const std::wstring param(blank == std::wstring_view::npos ? std::wstring_view()
                                                              : commandLine.substr(blank));
    const TCmndEditor editor = GetEditor(name);
    std::wstring result(name);
    if (!editor)
        return result;
    const EditedText edited{editor(param.c_str()), platform_.FreeText};
    result += L' ';
    if (edited.text)
        result += edited.text;
    return result;
}

std::wstring TCmnd::GetItemText(int index) const {
    std::lock_guard guard(state_->lock);
    const std::size_t i = state_->Checked(index);
    return state_->names[i] + L"(" + state_->descriptions[i] + L")";
}

std::wstring TCmnd::GetCommandName(int index) const {
    std::lock_guard guard(state_->lock);
    return state_->names[state_->Checked(index)];
}

std::wstring TCmnd::GetCommandDescription(int index) const {
    std::lock_guard guard(state_->lock);
    return state_->descriptions[state_->Checked(index)];
}

int TCmnd::Count() const {
    std::lock_guard guard(state_->lock);
    return static_cast<int>(state_->names.size());
}

std::size_t TCmnd::ItemCapacity() const {
    std::lock_guard guard(state_->lock);
    return state_->items.size();
}

} // namespace zt

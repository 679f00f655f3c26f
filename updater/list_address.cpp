#include "updater/list_address.h"

namespace zt::uplift {

namespace {

bool IsListSwitch(std::wstring_view arg) {
    if (arg.size() != 5 || (arg[0] != L'/' && arg[0] != L'-'))
        return false;
    for (size_t i = 1; i < arg.size(); ++i) {
        const wchar_t lower = (arg[i] >= L'A' && arg[i] <= L'Z') ? arg[i] - L'A' + L'a' : arg[i];
        if (lower != L"list"[i - 1])
            return false;
    }
    return true;
}

std::optional<std::wstring> FromArguments(const std::vector<std::wstring>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring_view arg = args[i];
        const size_t equals = arg.find(L'=');
        if (equals != std::wstring_view::npos && IsListSwitch(arg.substr(0, equals))) {
            if (equals + 1 < arg.size())
                return std::wstring(arg.substr(equals + 1));
        } else if (IsListSwitch(arg) && i + 1 < args.size() && !args[i + 1].empty()) {
            return args[i + 1];
        }
    }
    return std::nullopt;
}

} // namespace

std::wstring ChooseListAddress(const std::vector<std::wstring>& args,
                               const std::optional<std::wstring>& environmentValue,
                               const std::wstring& builtIn) {
    if (auto fromArgs = FromArguments(args))
        return *fromArgs;
    if (environmentValue && !environmentValue->empty())
        return *environmentValue;
    return builtIn;
}

} // namespace zt::uplift

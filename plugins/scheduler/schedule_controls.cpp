#include "schedule_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwctype>

#include "common/system_time.h"
#include "common/window_text.h"
#include "task_description.h"

namespace zt {
namespace {

// The years a date picker shows.
constexpr int kFirstPickerYear = 1753;
constexpr int kLastPickerYear = 9999;

} // namespace

ControlTextSource SchedulerTexts(const SchedulerUiContext& context) {
    return [text = context.text](const std::wstring& key) {
        return text ? text(key.c_str()) : std::wstring();
    };
}

std::vector<std::wstring> SchedulerTextLines(const SchedulerUiContext& context,
                                             const std::wstring& key, std::size_t count) {
    std::vector<std::wstring> lines =
        context.text ? SplitTextLines(context.text(key.c_str())) : std::vector<std::wstring>();
    lines.resize(count);
    return lines;
}

void TranslateHints(HWND parent, std::span<const TztControlHint> hints,
                    const ControlTextSource& text) {
    for (const TztControlHint& hint : hints) {
        if (HWND window = ::GetDlgItem(parent, hint.id))
            SetControlHint(window, text(hint.key));
    }
}

void TranslateCaption(HWND window, const SchedulerUiContext& context, const wchar_t* key) {
    const std::wstring caption = context.text ? context.text(key) : std::wstring();
    if (!caption.empty())
        ::SetWindowTextW(window, caption.c_str());
}

DateTime LocalDateTimeNow() {
    const LocalTime now = DecodeDateTime(LocalNow());
    return EncodeDate(now.year, now.month, now.day) +
           EncodeTime(now.hour, now.minute, now.second, 0);
}

DateTime DateOf(DateTime value) {
    const LocalTime t = DecodeDateTime(value);
    return EncodeDate(t.year, t.month, t.day);
}

void SetSpinRange(HWND dialog, int upDownId, int low, int high) {
    ::SendDlgItemMessageW(dialog, upDownId, UDM_SETRANGE32, low, high);
}

int SpinValue(HWND dialog, int upDownId) {
    HWND upDown = ::GetDlgItem(dialog, upDownId);
    int low = 0;
    int high = 0;
    ::SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                   reinterpret_cast<LPARAM>(&high));
    // The buddy's text, read directly: the up-down reports an error for a text outside
    // its range instead of a value.
    const std::wstring text =
        WindowText(reinterpret_cast<HWND>(::SendMessageW(upDown, UDM_GETBUDDY, 0, 0)));
    long long value = 0;
    bool digits = false;
    for (wchar_t c : text) {
        if (!std::iswdigit(c))
            continue;
        digits = true;
        value = std::min(value * 10 + (c - L'0'), 1000000LL);
    }
    if (!digits)
        return low;
    return static_cast<int>(std::clamp<long long>(value, low, high));
}

void SetSpinValue(HWND dialog, int upDownId, int value) {
    ::SendDlgItemMessageW(dialog, upDownId, UDM_SETPOS32, 0, value);
}

DateTime PickerDate(HWND dialog, int pickerId) {
    SYSTEMTIME time{};
    if (::SendDlgItemMessageW(dialog, pickerId, DTM_GETSYSTEMTIME, 0,
                              reinterpret_cast<LPARAM>(&time)) != GDT_VALID ||
        !IsValidDate(time.wYear, time.wMonth, time.wDay))
        return DateOf(LocalDateTimeNow());
    return EncodeDate(time.wYear, time.wMonth, time.wDay);
}

void SetPickerDate(HWND dialog, int pickerId, DateTime date) {
    SYSTEMTIME time = ToSystemTime(DecodeDateTime(date));
    if (!std::isfinite(date) || time.wYear < kFirstPickerYear || time.wYear > kLastPickerYear)
        time = ToSystemTime(DecodeDateTime(LocalDateTimeNow()));
    time.wHour = time.wMinute = time.wSecond = time.wMilliseconds = 0;
    ::SendDlgItemMessageW(dialog, pickerId, DTM_SETSYSTEMTIME, GDT_VALID,
                          reinterpret_cast<LPARAM>(&time));
}

bool IsChecked(HWND dialog, int id) {
    return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool checked) {
    ::CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

void FillList(HWND dialog, int comboId, const std::vector<std::wstring>& lines, int selected) {
    HWND combo = ::GetDlgItem(dialog, comboId);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const std::wstring& line : lines)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    if (selected >= 0 && selected < static_cast<int>(lines.size()))
        ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int ListIndex(HWND dialog, int comboId) {
    const LRESULT index = ::SendDlgItemMessageW(dialog, comboId, CB_GETCURSEL, 0, 0);
    return index == CB_ERR ? 0 : static_cast<int>(index);
}

void SetListIndex(HWND dialog, int comboId, int index) {
    ::SendDlgItemMessageW(dialog, comboId, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void EnableControls(HWND dialog, std::span<const int> ids, bool enabled) {
    for (int id : ids) {
        if (HWND window = ::GetDlgItem(dialog, id))
            ::EnableWindow(window, enabled);
    }
}

} // namespace zt

#include "host/custom_zentik.h"

#include "common/utf.h"

#include <cmath>
#include <utility>

namespace zt {

namespace {

TCustomZentikTime ToZentikTime(const LocalTime& t) {
    return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

// The time of day of a value, decoded without going through its day count, so that any
// finite value is safe.
LocalTime TimeOfDay(DateTime value) {
    double whole = 0;
    return DecodeDateTime(std::fabs(std::modf(value, &whole)));
}

bool SameMinute(const TCustomZentikTime& a, const TCustomZentikTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute;
}

// Handlers may replace or clear an event while it runs, so each call goes through a copy.
template <typename Event, typename... Args> void Raise(const Event& event, Args&&... args) {
    if (!event)
        return;
    Event handler = event;
    handler(std::forward<Args>(args)...);
}

} // namespace

EConvertError::EConvertError(std::wstring message)
    : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

TCustomZentik::TCustomZentik(TimeSource& clock, TactTimer& timer, const FormatSettings& settings)
    : clock_(clock), timer_(timer), settings_(settings) {
    const TCustomZentikTime now = ToZentikTime(clock_.Now());
    remembered_ = now;
    lastShown_ = now;
    timer_.SetInterval(kDefaultTact);
    timer_.SetOnTick([this] { OnTimerTick(); });
}

TCustomZentik::~TCustomZentik() {
    timer_.SetOnTick({});
}

DateTime TCustomZentik::GetTime() {
    return EncodeDateTime(clock_.Now());
}

void TCustomZentik::OnTimerTick() {
    Update(false);
    CheckAlarm();
}

void TCustomZentik::CheckTime(DateTime& now, TCustomZentikTime& time) {
    now = GetTime();
    time = ToZentikTime(DecodeDateTime(now));

    struct Part {
        uint16_t TCustomZentikTime::*field;
        GetTimeEvent TCustomZentik::*event;
    };
    static constexpr Part kParts[] = {
        {&TCustomZentikTime::second, &TCustomZentik::OnChangeSecond},
        {&TCustomZentikTime::minute, &TCustomZentik::OnChangeMinute},
        {&TCustomZentikTime::hour, &TCustomZentik::OnChangeHour},
        {&TCustomZentikTime::day, &TCustomZentik::OnChangeDay},
        {&TCustomZentikTime::month, &TCustomZentik::OnChangeMonth},
        {&TCustomZentikTime::year, &TCustomZentik::OnChangeYear},
    };
    for (const Part& part : kParts) {
        if (time.*part.field == remembered_.*part.field)
            return;
        remembered_.*part.field = time.*part.field;
        Raise(this->*part.event, *this, now, time);
    }
}

void TCustomZentik::Update(bool force) {
    if (updating_) {
        refreshPending_ = refreshPending_ || force;
        return;
    }
    struct Guard {
        TCustomZentik& engine;
        ~Guard() {
            engine.updating_ = false;
            engine.refreshPending_ = false;
        }
    } guard{*this};
    updating_ = true;
    UpdateOnce(force);
    if (refreshPending_) {
        refreshPending_ = false;
        UpdateOnce(true);
    }
}

std::wstring TCustomZentik::TextPattern(bool secondHalf) const {
    if (useCustomFormat_)
        return secondHalf ? flashFormat_ : customFormat_;
    const std::wstring separator = secondHalf ? L" " : L":";
    std::wstring pattern = L"hh" + separator + L"mm";
    if (showSeconds_)
        pattern += separator + L"ss";
    return pattern;
}

void TCustomZentik::UpdateOnce(bool force) {
    DateTime now = 0;
    TCustomZentikTime time;
    CheckTime(now, time);
    const bool secondHalf = secondFlash_ && DecodeDateTime(now).millisecond >= 500;

    // Without flashing or a user format the text only changes with the shown time.
    // The whole time is compared, so a clock set by whole minutes or hours still redraws.
    if (!useCustomFormat_ && !secondFlash_ && !force) {
        if (showSeconds_ ? time == lastShown_ : SameMinute(time, lastShown_))
            return;
    }
    const std::wstring pattern = TextPattern(secondHalf);

    now = GetTime();
    if (OnTextChange && textEnabled_)
        Raise(OnTextChange, *this, FormatDateTime(pattern, now, settings_));
    Raise(OnChange, *this, now, time);
    lastShown_ = time;
}

void TCustomZentik::Refresh() {
    // A changed remembered second makes the next check raise OnChangeSecond.
    remembered_.second = static_cast<uint16_t>(remembered_.second - 1);
    Update(true);
}

bool TCustomZentik::IsAlarmTime(DateTime value) const {
    if (!std::isfinite(value))
        return false;
    const LocalTime alarm = DecodeDateTime(alarmTime_);
    const LocalTime t = TimeOfDay(value);
    return t.hour == alarm.hour && t.minute == alarm.minute && t.second >= alarm.second &&
           t.second <= alarm.second + kAlarmWindowSeconds;
}

void TCustomZentik::CheckAlarm() {
    if (alarmEnabled_ && IsAlarmTime(GetTime()))
        DoAlarm();
}

void TCustomZentik::DoAlarm() {
    alarmEnabled_ = false; // fires once; a handler that pumps messages cannot re-enter
    Raise(OnAlarm, *this);
}

void TCustomZentik::SetAlarmTime(DateTime value) {
    if (!std::isfinite(value))
        return; // not a time: the alarm keeps its time
    const LocalTime t = TimeOfDay(value);
    alarmTime_ = EncodeTime(t.hour, t.minute, t.second, t.millisecond);
}

uint8_t TCustomZentik::GetAlarmPart(int index) const {
    const LocalTime alarm = DecodeDateTime(alarmTime_);
    switch (index) {
    case 1:
        return static_cast<uint8_t>(alarm.hour);
    case 2:
        return static_cast<uint8_t>(alarm.minute);
    case 3:
        return static_cast<uint8_t>(alarm.second);
    default:
        return 0;
    }
}

void TCustomZentik::SetAlarmPart(int index, uint8_t value) {
    if (index < 1 || index > 3)
        return;
    const LocalTime alarm = DecodeDateTime(alarmTime_);
    int parts[3] = {alarm.hour, alarm.minute, alarm.second};
    parts[index - 1] = value;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) {
        const std::wstring separator(1, settings_.timeSeparator);
        throw EConvertError(L"''" + std::to_wstring(parts[0]) + separator +
                            std::to_wstring(parts[1]) + separator + std::to_wstring(parts[2]) +
                            L"'' не верное время");
    }
    alarmTime_ = EncodeTime(parts[0], parts[1], parts[2], 0);
}

uint16_t TCustomZentik::SetFastTact() {
    SetTact(kFastTact);
    return GetTact();
}

uint16_t TCustomZentik::SetNormalTact() {
    SetTact(showSeconds_ ? kNormalTact : kNormalTactNoSeconds);
    return GetTact();
}

uint16_t TCustomZentik::SetSlowTact() {
    SetTact(kSlowTact);
    return GetTact();
}

void TCustomZentik::SetTact(uint16_t milliseconds) {
    timer_.SetInterval(milliseconds);
}

uint16_t TCustomZentik::GetTact() const {
    return static_cast<uint16_t>(static_cast<unsigned>(timer_.GetInterval()) & 0xFFFFu);
}

void TCustomZentik::SetTextSuspended(bool value) {
    textEnabled_ = !value;
    if (value)
        Refresh();
}

void TCustomZentik::SetCustomFormat(const std::wstring& format) {
    customFormat_ = format;
    flashFormat_ = format;
    bool singleQuoted = false;
    bool doubleQuoted = false;
    for (wchar_t& c : flashFormat_) {
        if (c == L'\'' && !doubleQuoted)
            singleQuoted = !singleQuoted;
        else if (c == L'"' && !singleQuoted)
            doubleQuoted = !doubleQuoted;
        else if (c == L':' && !singleQuoted && !doubleQuoted)
            c = L' ';
    }
}

void TCustomZentik::SetUseCustomFormat(bool value) {
    useCustomFormat_ = value;
    Refresh();
}

void TCustomZentik::SetShowSeconds(bool value) {
    if (value == showSeconds_)
        return;
    showSeconds_ = value;
    SetTact(value ? kNormalTact : kNormalTactNoSeconds);
    Refresh();
}

void TCustomZentik::SetSecondFlash(bool value) {
    if (value == secondFlash_)
        return;
    secondFlash_ = value;
    Refresh();
}

} // namespace zt

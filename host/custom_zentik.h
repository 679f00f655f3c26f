#pragma once
// The clock engine: reads the local time on every tact, raises the change events
// (second, minute, hour, day, month, year), produces the display text with its flashing
// separator or the user's format, and fires the one-shot alarm. It draws nothing.
//
// The time source and the tact timer are injected; the engine neither owns them nor
// outlives them. All calls happen on one thread (the GUI thread in the program).

#include "common/datetime.h"
#include "common/datetime_format.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace zt {

// The date and time handed to the change events.
struct TCustomZentikTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;

    friend bool operator==(const TCustomZentikTime&, const TCustomZentikTime&) = default;
};
static_assert(sizeof(TCustomZentikTime) == 12);

// A text that is not a valid date or time. The message is kept as wide text; what()
// gives it as UTF-8.
class EConvertError : public std::exception {
public:
    explicit EConvertError(std::wstring message);
    const char* what() const noexcept override { return utf8_.c_str(); }
    const std::wstring& Message() const noexcept { return message_; }

private:
    std::wstring message_;
    std::string utf8_;
};

// The current local date and time, to the millisecond.
class TimeSource {
public:
    virtual ~TimeSource() = default;
    virtual LocalTime Now() = 0;
};

// The repeating timer that drives the engine. An interval of 0 keeps it silent.
class TactTimer {
public:
    virtual ~TactTimer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int GetInterval() const = 0;
    // Called on every tick; an empty function detaches the engine.
    virtual void SetOnTick(std::function<void()> onTick) = 0;
};

class TCustomZentik {
public:
    using NotifyEvent = std::function<void(TCustomZentik& sender)>;
    using GetTimeEvent =
        std::function<void(TCustomZentik& sender, DateTime& value, const TCustomZentikTime& time)>;
    using SetTimeEvent = std::function<void(TCustomZentik& sender, const std::wstring& text)>;

    static constexpr uint16_t kDefaultTact = 250;
    static constexpr uint16_t kFastTact = 100;
    static constexpr uint16_t kNormalTact = 250;
    static constexpr uint16_t kNormalTactNoSeconds = 500;
    static constexpr uint16_t kSlowTact = 1000;
    // Seconds after the alarm time during which a tick still fires the alarm.
    static constexpr int kAlarmWindowSeconds = 10;

    // Sets the timer to the default tact and attaches the tick; remembers the current
    // time so that the first tick of the same second raises nothing.
    TCustomZentik(TimeSource& clock, TactTimer& timer, const FormatSettings& settings);
    virtual ~TCustomZentik();
    TCustomZentik(const TCustomZentik&) = delete;
    TCustomZentik& operator=(const TCustomZentik&) = delete;

    // The timer callback: Update(false), then CheckAlarm.
    void OnTimerTick();
    // Change detection; raises OnChangeSecond ... OnChangeYear for the parts that changed,
    // stopping at the first unchanged part.
    void CheckTime(DateTime& now, TCustomZentikTime& time);
    // Change detection, then the text and OnChange when due (always when force is set).
    void Update(bool force);
    // Raises OnChangeSecond, the text and OnChange at once.
    void Refresh();
    void CheckAlarm();
    bool IsAlarmTime(DateTime value) const;

    void SetAlarmTime(DateTime value); // keeps the time of day; ignores NaN and infinities
    DateTime GetAlarmTime() const { return alarmTime_; }
    // 1 hour, 2 minute, 3 second; other indexes read 0 and write nothing. A write that
    // gives an invalid time throws EConvertError and keeps the alarm time.
    uint8_t GetAlarmPart(int index) const;
    void SetAlarmPart(int index, uint8_t value);
    bool GetAlarmEnabled() const { return alarmEnabled_; }
    void SetAlarmEnabled(bool value) { alarmEnabled_ = value; }

    // The tact presets return the tact in effect afterwards.
    uint16_t SetFastTact();
    uint16_t SetNormalTact(); // 250 ms with seconds shown, else 500 ms
    uint16_t SetSlowTact();
    void SetTact(uint16_t milliseconds);
    uint16_t GetTact() const;

    // Suspending stops the text event (OnChange goes on) and refreshes; resuming brings
    // the text back at the next text update.
    void SetTextSuspended(bool value);
    bool GetTextSuspended() const { return !textEnabled_; }

    const std::wstring& GetCustomFormat() const { return customFormat_; }
    // Also derives the flash format; no refresh.
    void SetCustomFormat(const std::wstring& format);
    // CustomFormat with every colon outside quotes replaced by a space.
    const std::wstring& GetFlashFormat() const { return flashFormat_; }
    bool GetUseCustomFormat() const { return useCustomFormat_; }
    void SetUseCustomFormat(bool value); // refreshes even when unchanged
    bool GetShowSeconds() const { return showSeconds_; }
    void SetShowSeconds(bool value); // when changed: normal tact for the new value, refresh
    bool GetSecondFlash() const { return secondFlash_; }
    void SetSecondFlash(bool value); // when changed: refresh
    // The property write used when settings are restored: stores without a refresh.
    void StoreSecondFlash(bool value) { secondFlash_ = value; }

    // Convenience names for the alarm parts.
    uint8_t GetAlarmHour() const { return GetAlarmPart(1); }
    uint8_t GetAlarmMinute() const { return GetAlarmPart(2); }
    uint8_t GetAlarmSecond() const { return GetAlarmPart(3); }
    void SetAlarmHour(uint8_t value) { SetAlarmPart(1, value); }
    void SetAlarmMinute(uint8_t value) { SetAlarmPart(2, value); }
    void SetAlarmSecond(uint8_t value) { SetAlarmPart(3, value); }

    const FormatSettings& GetFormatSettings() const { return settings_; }
    void SetFormatSettings(const FormatSettings& settings) { settings_ = settings; }

    // The current local date and time.
    virtual DateTime GetTime();

    NotifyEvent OnAlarm;
    GetTimeEvent OnChange;
    SetTimeEvent OnTextChange;
    GetTimeEvent OnChangeSecond;
    GetTimeEvent OnChangeMinute;
    GetTimeEvent OnChangeHour;
    GetTimeEvent OnChangeDay;
    GetTimeEvent OnChangeMonth;
    GetTimeEvent OnChangeYear;

protected:
    // Disarms the alarm, then raises OnAlarm.
    virtual void DoAlarm();

private:
    void UpdateOnce(bool force);
    std::wstring TextPattern(bool secondHalf) const;

    TimeSource& clock_;
    TactTimer& timer_;
    FormatSettings settings_;

    bool showSeconds_ = true;
    bool secondFlash_ = true;
    bool alarmEnabled_ = false;
    bool useCustomFormat_ = false;
    bool textEnabled_ = true;
    DateTime alarmTime_ = 0.0;
    TCustomZentikTime remembered_;
    TCustomZentikTime lastShown_;
    std::wstring customFormat_;
    std::wstring flashFormat_;

    // Set while Update raises its events; an Update asked for from inside an event
    // is not nested: a forced one runs once after the current one ends.
    bool updating_ = false;
    bool refreshPending_ = false;
};

} // namespace zt

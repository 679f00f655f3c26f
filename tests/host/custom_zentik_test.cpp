// The clock engine ticked by hand over a fixed clock.

#include <gtest/gtest.h>

#include "common/utf.h"
#include "host/custom_zentik.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zt {
namespace {

LocalTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    auto u = [](int value) { return static_cast<uint16_t>(value); };
    return {u(year), u(month), u(day), u(hour), u(minute), u(second), u(ms)};
}

LocalTime Today(int hour, int minute, int second, int ms = 0) {
    return At(2026, 5, 14, hour, minute, second, ms);
}

class FakeClock : public TimeSource {
public:
    LocalTime Now() override { return now; }
    LocalTime now;
};

class FakeTimer : public TactTimer {
public:
    void SetInterval(int milliseconds) override { interval = milliseconds; }
    int GetInterval() const override { return interval; }
    void SetOnTick(std::function<void()> callback) override { onTick = std::move(callback); }
    int interval = 0;
    std::function<void()> onTick;
};

class CustomZentikTest : public ::testing::Test {
protected:
    void Create(const LocalTime& start, wchar_t timeSeparator = L':') {
        engine_.reset(); // detaches the previous engine from the shared timer first
        clock_.now = start;
        FormatSettings settings = DefaultFormatSettings();
        settings.timeSeparator = timeSeparator;
        engine_ = std::make_unique<TCustomZentik>(clock_, timer_, settings);
        auto logPart = [this](const wchar_t* name) {
            return [this, name](TCustomZentik&, DateTime& value, const TCustomZentikTime& t) {
                Note(name);
                values_.push_back(value);
                times_.push_back(t);
            };
        };
        engine_->OnChangeSecond = logPart(L"second");
        engine_->OnChangeMinute = logPart(L"minute");
        engine_->OnChangeHour = logPart(L"hour");
        engine_->OnChangeDay = logPart(L"day");
        engine_->OnChangeMonth = logPart(L"month");
        engine_->OnChangeYear = logPart(L"year");
        engine_->OnChange = logPart(L"change");
        engine_->OnTextChange = [this](TCustomZentik&, const std::wstring& text) {
            Note(L"[" + text + L"]");
        };
        engine_->OnAlarm = [this](TCustomZentik&) { ++alarms_; };
    }
    void TickAt(const LocalTime& t) {
        clock_.now = t;
        ASSERT_TRUE(timer_.onTick);
        timer_.onTick();
    }
    // Events since the last call: names separated by spaces, texts in brackets.
    std::wstring TakeLog() { return std::exchange(log_, {}); }
    void Note(const std::wstring& entry) { log_ += (log_.empty() ? L"" : L" ") + entry; }

    FakeClock clock_;
    FakeTimer timer_;
    std::unique_ptr<TCustomZentik> engine_;
    std::wstring log_;
    std::vector<DateTime> values_;
    std::vector<TCustomZentikTime> times_;
    int alarms_ = 0;
};

TEST_F(CustomZentikTest, StartsAtDefaultTactAndDetachesOnDestruction) {
    timer_.interval = 1;
    Create(Today(12, 34, 56));
    EXPECT_EQ(timer_.interval, 250);
    EXPECT_TRUE(engine_->GetShowSeconds() && engine_->GetSecondFlash());
    EXPECT_FALSE(engine_->GetAlarmEnabled() || engine_->GetUseCustomFormat() ||
                 engine_->GetTextSuspended());
    // The construction second is already known: no change event, only the flashing text.
    TickAt(Today(12, 34, 56, 600));
    EXPECT_EQ(TakeLog(), L"[12 34 56] change");
    engine_.reset();
    EXPECT_FALSE(timer_.onTick);
}

TEST_F(CustomZentikTest, YearEndRaisesEveryPartInOrderThenTextThenChange) {
    Create(At(2026, 12, 31, 23, 59, 59, 100));
    TickAt(At(2027, 1, 1, 0, 0, 0));
    EXPECT_EQ(TakeLog(), L"second minute hour day month year [00:00:00] change");
    ASSERT_EQ(times_.size(), 7u);
    for (size_t i = 0; i < times_.size(); ++i) {
        EXPECT_EQ(times_[i], (TCustomZentikTime{2027, 1, 1, 0, 0, 0})) << i;
        EXPECT_DOUBLE_EQ(values_[i], EncodeDate(2027, 1, 1)) << i;
    }
}

TEST_F(CustomZentikTest, ChainStopsAtFirstUnchangedPart) {
    Create(Today(10, 20, 45));
    engine_->StoreSecondFlash(false);
    TickAt(Today(10, 21, 0));
    EXPECT_EQ(TakeLog(), L"second minute [10:21:00] change");
    // Clock set back to another second of the same minute.
    TickAt(Today(10, 21, 0, 900));
    TickAt(Today(10, 21, 30));
    EXPECT_EQ(TakeLog(), L"second [10:21:30] change");
    // An unassigned event is skipped, but its part is still remembered.
    engine_->OnChangeMinute = nullptr;
    TickAt(Today(10, 22, 0));
    engine_->OnChangeMinute = [this](auto&&...) { Note(L"minute"); };
    TickAt(Today(10, 22, 1));
    EXPECT_EQ(TakeLog(), L"second [10:22:00] change second [10:22:01] change");
}

TEST_F(CustomZentikTest, FlashingSeparatorAndLocaleSeparator) {
    Create(Today(12, 34, 56), L'.');
    TickAt(Today(12, 34, 56, 499));
    TickAt(Today(12, 34, 56, 500));
    TickAt(Today(12, 34, 56, 999));
    EXPECT_EQ(TakeLog(), L"[12.34.56] change [12 34 56] change [12 34 56] change");
}

TEST_F(CustomZentikTest, WithoutFlashTextFollowsTheShownTime) {
    Create(Today(12, 34, 56));
    engine_->StoreSecondFlash(false);
    TickAt(Today(12, 34, 56, 250));
    TickAt(Today(12, 34, 56, 750));
    EXPECT_EQ(TakeLog(), L"");
    // A clock moved by a whole hour redraws although the second is the same.
    TickAt(Today(13, 34, 56, 0));
    EXPECT_EQ(TakeLog(), L"[13:34:56] change");
}

TEST_F(CustomZentikTest, SecondsHiddenTextOnlyAtNewMinuteAndOnRefresh) {
    Create(Today(12, 34, 56));
    engine_->StoreSecondFlash(false);
    engine_->SetShowSeconds(false);
    EXPECT_EQ(timer_.interval, 500);
    EXPECT_EQ(TakeLog(), L"second [12:34] change");
    TickAt(Today(12, 34, 57));
    TickAt(Today(12, 34, 59, 750));
    EXPECT_EQ(TakeLog(), L"second second");
    TickAt(Today(12, 35, 0));
    EXPECT_EQ(TakeLog(), L"second minute [12:35] change");
    // At second 0 the remembered second wraps; the minute is not raised again.
    engine_->Refresh();
    EXPECT_EQ(TakeLog(), L"second [12:35] change");
    TickAt(Today(12, 35, 0, 500));
    EXPECT_EQ(TakeLog(), L"");
}

TEST_F(CustomZentikTest, SettersRefreshOnlyWhereDue) {
    Create(Today(8, 0, 0));
    engine_->SetShowSeconds(true);
    engine_->SetSecondFlash(true);
    engine_->StoreSecondFlash(false);
    engine_->SetCustomFormat(L"hh");
    EXPECT_EQ(TakeLog(), L"");
    engine_->SetUseCustomFormat(false); // refreshes even when unchanged
    engine_->SetSecondFlash(true);
    EXPECT_EQ(TakeLog(), L"second [08:00:00] change second [08:00:00] change");
}

TEST_F(CustomZentikTest, CustomFormatFlashesUnquotedColonsOnly) {
    Create(Today(12, 34, 56));
    engine_->SetCustomFormat(L"hh:mm");
    engine_->SetUseCustomFormat(true);
    TickAt(Today(12, 34, 56, 700));
    TickAt(Today(12, 34, 57, 200));
    engine_->SetCustomFormat(L"hh':'mm");
    TickAt(Today(12, 34, 57, 700));
    EXPECT_EQ(TakeLog(), L"second [12:34] change [12 34] change second [12:34] change "
                         L"[12:34] change");
}

TEST(CustomZentikFlashFormat, ReplacesColonsOutsideQuotes) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"hh:mm:ss", L"hh mm ss"}, {L"hh':'mm", L"hh':'mm"}, {L"\"a:b\" h:n", L"\"a:b\" h n"},
        {L"'\"':", L"'\"' "},       {L"\"'\":'", L"\"'\" '"}, {L"'open:", L"'open:"},
    };
    FakeClock clock;
    FakeTimer timer;
    TCustomZentik engine(clock, timer, DefaultFormatSettings());
    for (const auto& [format, flash] : cases) {
        engine.SetCustomFormat(format);
        EXPECT_EQ(engine.GetCustomFormat(), format);
        EXPECT_EQ(engine.GetFlashFormat(), flash) << WideToUtf8(format);
    }
}

TEST_F(CustomZentikTest, SuspendedTextKeepsChangeEvents) {
    Create(Today(9, 0, 0));
    engine_->StoreSecondFlash(false);
    engine_->SetTextSuspended(true);
    TickAt(Today(9, 0, 1));
    EXPECT_EQ(TakeLog(), L"second change second change");
    engine_->SetTextSuspended(false);
    EXPECT_EQ(TakeLog(), L"");
    TickAt(Today(9, 0, 2));
    EXPECT_EQ(TakeLog(), L"second [09:00:02] change");
}

TEST_F(CustomZentikTest, AlarmFiresOnceAnywhereInItsTenSecondWindow) {
    for (int second = 0; second <= 11; ++second) {
        alarms_ = 0;
        Create(Today(6, 59, 59));
        EXPECT_EQ(engine_->SetSlowTact(), 1000);
        engine_->SetAlarmHour(7);
        engine_->SetAlarmEnabled(true);
        TickAt(Today(6, 59, 59, 999));
        TickAt(Today(7, 0, second, 999));
        TickAt(Today(7, 0, second + 1));
        EXPECT_EQ(alarms_, second <= 10 ? 1 : 0) << second;
        EXPECT_EQ(engine_->GetAlarmEnabled(), second > 10) << second;
    }
    engine_->SetAlarmEnabled(true);
    TickAt(Today(8, 0, 0));
    TickAt(Today(7, 1, 5));
    EXPECT_EQ(alarms_, 0);
}

TEST_F(CustomZentikTest, AlarmHandlerThatTicksAgainDoesNotRefire) {
    Create(Today(7, 0, 0));
    engine_->SetAlarmTime(EncodeDate(1999, 1, 1) + EncodeTime(7, 0, 0, 0));
    EXPECT_DOUBLE_EQ(engine_->GetAlarmTime(), EncodeTime(7, 0, 0, 0));
    engine_->SetAlarmEnabled(true);
    engine_->OnAlarm = [this](TCustomZentik&) {
        ++alarms_;
        TickAt(Today(7, 0, 2)); // a modal loop inside the handler
    };
    TickAt(Today(7, 0, 1));
    EXPECT_EQ(alarms_, 1);
}

TEST_F(CustomZentikTest, AlarmPartsValidateAndReportWithLocaleSeparator) {
    Create(Today(7, 0, 0), L'.');
    EXPECT_THROW(engine_->SetAlarmHour(24), EConvertError);
    EXPECT_EQ(engine_->GetAlarmHour(), 0);
    engine_->SetAlarmHour(5);
    engine_->SetAlarmMinute(30);
    engine_->SetAlarmSecond(15);
    engine_->SetAlarmPart(4, 99);
    EXPECT_DOUBLE_EQ(engine_->GetAlarmTime(), EncodeTime(5, 30, 15, 0));
    EXPECT_EQ(engine_->GetAlarmPart(0), 0);
    const std::pair<int, std::wstring> bad[] = {{1, L"''24.30.15''"}, {2, L"''5.60.15''"}};
    for (const auto& [index, shown] : bad) {
        try {
            engine_->SetAlarmPart(index, index == 1 ? 24 : 60);
            ADD_FAILURE() << "no error for part " << index;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), shown + L" не верное время");
            EXPECT_EQ(std::string(e.what()), WideToUtf8(e.Message()));
        }
        EXPECT_DOUBLE_EQ(engine_->GetAlarmTime(), EncodeTime(5, 30, 15, 0));
    }
}

TEST_F(CustomZentikTest, RefreshFromAHandlerRunsAfterTheCurrentUpdate) {
    Create(Today(12, 34, 56));
    engine_->SetCustomFormat(L"hh-mm");
    engine_->OnTextChange = [this](TCustomZentik& sender, const std::wstring& text) {
        Note(L"[" + text + L"]");
        sender.SetUseCustomFormat(true); // always asks for another refresh
    };
    engine_->Refresh();
    EXPECT_EQ(TakeLog(), L"second [12:34:56] change second [12-34] change");
    // A handler may clear its own event while it runs.
    engine_->OnChange = [this](TCustomZentik& sender, DateTime&, const TCustomZentikTime&) {
        sender.OnChange = nullptr;
        Note(L"cleared");
    };
    engine_->OnTextChange = nullptr;
    TickAt(Today(12, 34, 57));
    TickAt(Today(12, 34, 58));
    EXPECT_EQ(TakeLog(), L"second cleared second");
}

class ShiftedZentik : public TCustomZentik {
public:
    using TCustomZentik::TCustomZentik;
    DateTime GetTime() override { return TCustomZentik::GetTime() + 1.0 / 24; }
    void DoAlarm() override {
        ++calls;
        TCustomZentik::DoAlarm();
    }
    int calls = 0;
};

TEST(CustomZentikOverrides, GetTimeAndDoAlarmAreTheSeams) {
    FakeClock clock;
    FakeTimer timer;
    clock.now = Today(6, 0, 0);
    ShiftedZentik engine(clock, timer, DefaultFormatSettings());
    std::wstring shown;
    engine.OnTextChange = [&](TCustomZentik&, const std::wstring& text) { shown = text; };
    engine.SetAlarmHour(7);
    engine.SetAlarmEnabled(true);
    timer.onTick();
    EXPECT_EQ(shown, L"07:00:00");
    EXPECT_EQ(engine.calls, 1);
    EXPECT_FALSE(engine.GetAlarmEnabled());
}

} // namespace
} // namespace zt

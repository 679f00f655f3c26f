// The clock engine through ICustomZentik, ticked by the real timer.

#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "host/custom_zentik_intf.h"
#include "zentik/ztComHelpers.h"
#include "support/pump.h"

namespace zt {
namespace {

using test::PumpFor;
using test::PumpUntil;

class CustomZentikIntfTest : public ::testing::Test {
protected:
    std::unique_ptr<ClockEngine> clock_ = CreateClockEngine(DefaultFormatSettings());
    ICustomZentik* zentik_ = clock_->Interface();
};

TEST_F(CustomZentikIntfTest, AnswersItsOwnInterfacesOnly) {
    void* object = nullptr;
    ASSERT_EQ(zentik_->QueryInterface(IID_ICustomZentik, &object), S_OK);
    EXPECT_EQ(object, zentik_);
    ASSERT_EQ(zentik_->QueryInterface(IID_IUnknown, &object), S_OK);
    EXPECT_EQ(object, static_cast<IUnknown*>(zentik_));
    EXPECT_EQ(zentik_->QueryInterface(IID_IztTimer, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(zentik_->QueryInterface(IID_ICustomZentik, nullptr), E_POINTER);
    // The owner keeps the engine alive whatever the count says.
    EXPECT_EQ(zentik_->AddRef(), zentik_->Release());
}

TEST_F(CustomZentikIntfTest, TactAndFlagsReachTheEngine) {
    EXPECT_EQ(zentik_->GetTact(), 250);
    EXPECT_EQ(zentik_->SetFastTact(), 100);
    zentik_->SetTact(777);
    EXPECT_EQ(zentik_->GetTact(), 777);
    zentik_->SetShowSeconds(FALSE);
    EXPECT_EQ(zentik_->GetTact(), 500);
    EXPECT_EQ(zentik_->SetSlowTact(), 1000);
    EXPECT_EQ(zentik_->SetNormalTact(), 500);
    zentik_->SetAlarmEnabled(TRUE);
    zentik_->SetTextSuspended(TRUE);
    EXPECT_FALSE(clock_->Engine().GetShowSeconds());
    EXPECT_TRUE(clock_->Engine().GetAlarmEnabled() && clock_->Engine().GetTextSuspended());
}

TEST_F(CustomZentikIntfTest, InvalidAlarmPartIsRejectedAndKeepsTheAlarm) {
    ASSERT_EQ(zentik_->SetAlarmPart(1, 6), S_OK);
    ASSERT_EQ(zentik_->SetAlarmPart(2, 45), S_OK);
    EXPECT_EQ(zentik_->SetAlarmPart(1, 24), E_INVALIDARG);
    EXPECT_EQ(zentik_->SetAlarmPart(3, 60), E_INVALIDARG);
    EXPECT_EQ(zentik_->SetAlarmPart(9, 99), S_OK);
    EXPECT_EQ(zentik_->GetAlarmPart(1), 6);
    EXPECT_EQ(zentik_->GetAlarmPart(2), 45);
    EXPECT_DOUBLE_EQ(zentik_->GetAlarmTime(), EncodeTime(6, 45, 0, 0));
}

TEST_F(CustomZentikIntfTest, CustomFormatComesBackAsBstr) {
    zentik_->SetCustomFormat(L"hh':'mm \u0447");
    TztBstr format(zentik_->GetCustomFormat());
    ASSERT_NE(format.get(), nullptr);
    EXPECT_EQ(std::wstring(format.get(), ::SysStringLen(format.get())), L"hh':'mm \u0447");
    EXPECT_EQ(clock_->Engine().GetFlashFormat(), L"hh':'mm \u0447");
    zentik_->SetCustomFormat(nullptr);
    TztBstr empty(zentik_->GetCustomFormat());
    EXPECT_EQ(::SysStringLen(empty.get()), 0u);
}

TEST_F(CustomZentikIntfTest, RealTimerTicksTheTextAndSurvivesThrowingHandlers) {
    TCustomZentik& engine = clock_->Engine();
    int texts = 0;
    std::wstring text;
    engine.OnTextChange = [&](TCustomZentik&, const std::wstring& value) {
        text = value;
        if (++texts == 1)
            throw std::runtime_error("handler failure");
    };
    // With flashing every tick redraws: two ticks within about half a second.
    EXPECT_TRUE(PumpUntil([&] { return texts >= 2; }, 1500)) << texts;
    EXPECT_EQ(text.size(), 8u);
    EXPECT_TRUE(text[2] == L':' || text[2] == L' ') << text;

    engine.OnChange = [](TCustomZentik&, DateTime&, const TCustomZentikTime&) {
        throw std::runtime_error("handler failure");
    };
    zentik_->Refresh(); // must not let the exception out
    zentik_->SetTact(0);
    const int silenced = texts;
    PumpFor(600);
    EXPECT_EQ(texts, silenced);
}

} // namespace
} // namespace zt

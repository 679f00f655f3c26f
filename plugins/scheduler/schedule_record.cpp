#include "schedule_record.h"

#include <bit>

namespace zt {

namespace {

void PutDouble(ScheduleRecord& out, std::size_t at, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        out[at + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void PutWord(ScheduleRecord& out, std::size_t at, std::uint16_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

double GetDouble(const std::uint8_t* in, std::size_t at) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | in[at + i];
    return std::bit_cast<double>(bits);
}

std::uint16_t GetWord(const std::uint8_t* in, std::size_t at) {
    return static_cast<std::uint16_t>(in[at] | in[at + 1] << 8);
}

} // namespace

ScheduleRecord EncodeScheduleRecord(const TScheduleItem& task) {
    ScheduleRecord out{};
    PutDouble(out, 0, task.StartTime);
    PutDouble(out, 8, task.NextRun);
    out[16] = task.TaskType;
    out[17] = task.Interval;
    out[18] = task.WeekDays;
    out[20] = task.ByMonthDay ? 1 : 0;
    out[21] = task.MonthDay;
    out[22] = task.WeekDay;
    out[24] = task.HasOptions ? 1 : 0;
    out[25] = task.HasEndDate ? 1 : 0;
    PutDouble(out, 32, task.EndDate);
    out[40] = task.Repeating ? 1 : 0;
    PutWord(out, 42, task.RepeatEvery);
    out[44] = task.EveryInMinutes ? 1 : 0;
    out[45] = task.UntilTime ? 1 : 0;
    PutWord(out, 46, task.LimitHour);
    PutWord(out, 48, task.LimitMinute);
    return out;
}

bool DecodeScheduleRecord(const std::uint8_t* bytes, std::size_t size, TScheduleItem& task) {
    if (bytes == nullptr || size != kScheduleRecordSize)
        return false;
    task.StartTime = GetDouble(bytes, 0);
    task.NextRun = GetDouble(bytes, 8);
    task.TaskType = bytes[16];
    task.Interval = bytes[17];
    task.WeekDays = bytes[18];
    task.ByMonthDay = bytes[20] != 0;
    task.MonthDay = bytes[21];
    task.WeekDay = bytes[22];
    task.HasOptions = bytes[24] != 0;
    task.HasEndDate = bytes[25] != 0;
    task.EndDate = GetDouble(bytes, 32);
    task.Repeating = bytes[40] != 0;
    task.RepeatEvery = GetWord(bytes, 42);
    task.EveryInMinutes = bytes[44] != 0;
    task.UntilTime = bytes[45] != 0;
    task.LimitHour = GetWord(bytes, 46);
    task.LimitMinute = GetWord(bytes, 48);
    return true;
}

} // namespace zt

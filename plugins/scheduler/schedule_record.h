#pragma once
// The stored form of a task: the 56-byte little-endian block of its fields from StartTime
// to LimitMinute (the command line is stored beside it).

#include <array>
#include <cstddef>
#include <cstdint>

#include "schedule_item.h"

namespace zt {

inline constexpr std::size_t kScheduleRecordSize = 56;
using ScheduleRecord = std::array<std::uint8_t, kScheduleRecordSize>;

// Unused bytes are written as 0.
ScheduleRecord EncodeScheduleRecord(const TScheduleItem& task);
// Reads the block into task (links and Cmnd untouched); false, task unchanged, when size
// is not 56 bytes.
bool DecodeScheduleRecord(const std::uint8_t* bytes, std::size_t size, TScheduleItem& task);

} // namespace zt

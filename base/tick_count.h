// A 64-bit millisecond count made from the system's 32-bit one, which wraps
// every 49.7 days, for systems without GetTickCount64. Header only, without
// windows.h.
#pragma once

#include <cstdint>

namespace tick_count {

const std::uint64_t kWrap = std::uint64_t(1) << 32;

// The count for the 32-bit tick `now`, read after `last` was given out: `last`
// moved on by as far as `now` is ahead of it, across a wrap too. A `now`
// behind `last` (a thread that read its tick first and got here last) gives
// `last`, so the count never goes back. Right as long as the count is asked
// at least once every half wrap, 24.8 days.
inline std::uint64_t Extend(std::uint64_t last, std::uint32_t now)
{
    const std::uint32_t ahead = now - static_cast<std::uint32_t>(last);
    return ahead < kWrap / 2 ? last + ahead : last;
}

} // namespace tick_count

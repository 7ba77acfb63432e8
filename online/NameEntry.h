#pragma once

#include <chrono>
#include <cstdint>

// The run's time in hundredths of a second, as sent to the leaderboard:
// seconds times 100 in float, truncated toward zero (42.178 s gives 4217).
std::int32_t scoreHundredths(float elapsedSeconds);

// The name cursor: "_" during the first half of every second since the game
// started, a space during the second half. Wall time, so it blinks at the
// same pace however busy the processor is.
char nameCursor(std::chrono::milliseconds sinceStart);

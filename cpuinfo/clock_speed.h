#pragma once
// The processor clock in MHz, measured with the time-stamp counter against
// the system's timers.
#include <cstdint>

std::uint64_t ReadTimeStampCounter();
// Spins for about a second of tick counts; a whole number of MHz.
long double MeasureClockByTickCount();
// Sleeps and times the sleep with the performance counter; single precision.
float MeasureClockBySleep(std::int32_t milliseconds);
// Reads the family that DecodeSignature stored last. Raises an Exception
// when the measurement meets a floating-point error.
double GetClockSpeed();

#include "data/ResultClock.h"

#include <ctime>

namespace {

ClockReading ReadLocalTime()
{
  const std::time_t now = std::time(nullptr);
  std::tm local {};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour, local.tm_min, local.tm_sec};
}

std::function<ClockReading()>& CurrentClock()
{
  static std::function<ClockReading()> clock = ReadLocalTime;
  return clock;
}

}  // namespace

ClockReading ReadResultClock()
{
  return CurrentClock()();
}

ScopedFixedClock::ScopedFixedClock(const ClockReading& reading)
    : m_Previous(CurrentClock())
{
  CurrentClock() = [reading] { return reading; };
}

ScopedFixedClock::~ScopedFixedClock()
{
  CurrentClock() = m_Previous;
}

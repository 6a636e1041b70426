#pragma once
// The local time that writers stamp into a result file as its modification date and time.
// Tests fix it so that a written file can be compared byte for byte.
#include <functional>

struct ClockReading {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;     // day of the month
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
};

// One reading of the local clock (or of the fixed clock while a ScopedFixedClock lives).
ClockReading ReadResultClock();

// Makes ReadResultClock() answer the given reading for the guard's lifetime.
class ScopedFixedClock {
public:
  explicit ScopedFixedClock(const ClockReading& reading);
  ~ScopedFixedClock();
  ScopedFixedClock(const ScopedFixedClock&) = delete;
  ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;

private:
  std::function<ClockReading()> m_Previous;
};

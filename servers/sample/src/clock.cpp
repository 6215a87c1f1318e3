#include "clock.h"

#include <ctime>

namespace sample {
namespace {
constexpr double kTicksPerDay = 864000000000.0;
// Days from 1 January 1601 to 30 December 1899.
constexpr double kOleEpochDays = 109205.0;
}  // namespace

DATE toOleDate(const FILETIME& time) { return static_cast<double>(ticksOf(time)) / kTicksPerDay - kOleEpochDays; }

LONG localTimeBias() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return 0;
  return static_cast<LONG>(-local.tm_gmtoff / 60);
}

}  // namespace sample

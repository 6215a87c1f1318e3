#include "format/time_stamp_text.h"

#include <array>
#include <cstdio>

#include "win/time.h"

namespace format {
namespace {

// The month names of the C locale. They are spelled out here rather than
// taken from strftime so that the text never follows LC_TIME and needs no
// locale object.
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::optional<std::string> TimeStampText(const FILETIME& utc) {
  FILETIME local;
  SYSTEMTIME time;
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return std::nullopt;
  if (time.wMonth < 1 || time.wMonth > 12) return std::nullopt;
  char text[48];
  std::snprintf(text, sizeof text, "%02u.%s %u, %02u:%02u:%02u", unsigned{time.wDay}, kMonthNames[time.wMonth - 1],
                unsigned{time.wYear}, unsigned{time.wHour}, unsigned{time.wMinute}, unsigned{time.wSecond});
  return std::string(text);
}

}  // namespace format

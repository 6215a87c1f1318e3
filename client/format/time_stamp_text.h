#pragma once

// The text of a time stamp, as the client shows it in result lines and in
// the data-advise dialog.

#include <optional>
#include <string>

#include "win/types.h"

namespace format {

// A UTC FILETIME in local time as "05.Mar 2024, 14:07:09": two-digit day, a
// dot, the English month abbreviation whatever the user's locale, the year,
// then 24-hour time. Empty when the time cannot be converted to local time
// or to a calendar date; callers then show their own fixed line ending in
// "Cannot convert to Local Time".
std::optional<std::string> TimeStampText(const FILETIME& utc);

}  // namespace format

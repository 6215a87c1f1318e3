#pragma once

// How a host name becomes the computer's name (see win/computer.h).

#include <string>
#include <string_view>

namespace win {

// The first label of hostName in upper case (ASCII letters), cut to 15
// bytes at a character boundary; "LOCALHOST" for an empty name.
std::string computerNameFromHostName(std::string_view hostName);

}  // namespace win

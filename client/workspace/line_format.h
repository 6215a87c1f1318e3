#pragma once

// A result line from a printf pattern, as the commands' fixed texts are
// written ("UpdateRate      : %lu").

#include <cstdio>
#include <string>

namespace workspace {

template <class... Args>
std::string LineFormat(const char* pattern, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

}  // namespace workspace

#include "commands/property_lines.h"

#include <algorithm>

#include "format/variant_lines.h"

namespace {

// The length of the index prefix "[0] " of a single line.
constexpr size_t kSingleIndexLength = 4;

}  // namespace

std::vector<std::string> PropertyValueLines(const std::string& prefix, const VARIANT& value) {
  std::vector<std::string> lines = VariantToLines(value, "[%u] ");
  if (lines.size() == 1) {
    const std::string& only = lines.front();
    return {prefix + only.substr(std::min(kSingleIndexLength, only.size()))};
  }
  for (std::string& line : lines) line.insert(0, prefix);
  return lines;
}

#include "options.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "win/registry.h"
#include "win/winerror.h"

namespace sample {
namespace {

std::optional<uint32_t> parseCount(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return static_cast<uint32_t>(std::min<uint64_t>(value, kMaximumManyItemCount));
}

std::optional<uint32_t> countFromRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "Pelkor.DataSample\\Settings", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  char text[32] = {};
  DWORD size = sizeof(text);
  DWORD type = 0;
  const LONG result = RegQueryValueExA(key, "ManyItems", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return parseCount(std::string_view(text));
}

}  // namespace

uint32_t configuredManyItemCount() {
  if (const char* text = std::getenv("VELMORA_SAMPLE_MANY_ITEMS"); text != nullptr && *text != '\0') {
    if (auto count = parseCount(text)) return *count;
  }
  if (auto count = countFromRegistry()) return *count;
  return kDefaultManyItemCount;
}

}  // namespace sample

// The sample server's configuration file reader (IPersistFile::Load) with
// any bytes. A text it accepts must come back the same after it is written
// out and read again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "configuration_file.h"

namespace {

bool sameConfiguration(const sample::Configuration& a, const sample::Configuration& b) {
  if (a.groups.size() != b.groups.size()) return false;
  for (size_t g = 0; g < a.groups.size(); ++g) {
    const auto& x = a.groups[g];
    const auto& y = b.groups[g];
    if (x.name != y.name || x.isPublic != y.isPublic || x.settings.active != y.settings.active ||
        x.settings.updateRate != y.settings.updateRate || x.settings.timeBias != y.settings.timeBias ||
        x.settings.deadband != y.settings.deadband || x.settings.locale != y.settings.locale ||
        x.settings.clientHandle != y.settings.clientHandle || x.items.size() != y.items.size()) {
      return false;
    }
    for (size_t i = 0; i < x.items.size(); ++i) {
      const auto& p = x.items[i];
      const auto& q = y.items[i];
      if (p.itemId != q.itemId || p.accessPath != q.accessPath || p.active != q.active ||
          p.clientHandle != q.clientHandle || p.requestedType != q.requestedType || p.blob != q.blob) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sample::Configuration first;
  if (FAILED(sample::parseConfiguration(text, first))) return 0;
  sample::Configuration second;
  if (FAILED(sample::parseConfiguration(sample::formatConfiguration(first), second))) std::abort();
  if (!sameConfiguration(first, second)) std::abort();
  return 0;
}

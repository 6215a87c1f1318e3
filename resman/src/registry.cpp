#include "registry.h"

#include <new>

namespace morvick {

constinit Registry theRegistry;

void constructEntries(ResourceEntry* first, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) new (first + i) ResourceEntry{};
}

}  // namespace morvick

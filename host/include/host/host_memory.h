#pragma once

// Memory the host hands to components, tagged by the caller and accounted per
// tag so that tests see leaks, double frees and frees under the wrong tag.

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {

class RuntimeHost;

struct TagStats {
  uint64_t liveBlocks = 0;
  uint64_t liveBytes = 0;
  uint64_t allocations = 0;  // successful ones
  uint64_t frees = 0;
  uint64_t refused = 0;      // allocations failed on purpose
  std::vector<uint32_t> sizes;  // of every successful allocation, in order
};

class HostMemory {
 public:
  explicit HostMemory(RuntimeHost& host) : host_(host) {}
  ~HostMemory();
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  // A block of `size` bytes filled with a non-zero pattern (callers must clear
  // what they rely on), or null when out of memory.
  void* allocate(const char* tag, uint32_t size, uint32_t* result);
  uint32_t free(const char* tag, void* block);

  // The nth allocation from now on fails (1 = the next one); 0 disarms.
  void failAllocation(uint64_t nth);
  TagStats stats(const std::string& tag) const;
  uint64_t totalAllocations() const;

 private:
  struct Block {
    std::string tag;
    uint32_t size;
  };
  RuntimeHost& host_;
  mutable std::mutex mutex_;
  std::unordered_map<void*, Block> blocks_;
  std::unordered_map<std::string, TagStats> tags_;
  uint64_t failCountdown_ = 0;
  uint64_t totalAllocations_ = 0;
};

}  // namespace host

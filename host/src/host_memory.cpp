#include <host/host_memory.h>

#include <host/host_semaphores.h>
#include <host/runtime_host.h>

#include <cstdlib>
#include <cstring>

namespace host {

namespace {
// Fresh blocks carry this pattern so that a caller that forgets to clear one
// reads nonsense rather than lucky zeros.
constexpr unsigned char kFreshPattern = 0xA5;
}  // namespace

HostMemory::~HostMemory() {
  // Leaks are the tests' to report (through stats); the host only makes sure
  // that it does not leak them itself.
  for (auto& [block, info] : blocks_) std::free(block);
}

void* HostMemory::allocate(const char* tag, uint32_t size, uint32_t* result) {
  if (HostSemaphores::heldByThisThread() > 0) {
    host_.recordViolation("memory allocated while holding a semaphore");
  }
  auto fail = [result] {
    if (result) *result = 1;
    return nullptr;
  };
  if (tag == nullptr) {
    host_.recordViolation("memory allocated without a tag");
    return fail();
  }
  std::lock_guard lock(mutex_);
  TagStats& stats = tags_[tag];
  if (failCountdown_ > 0 && --failCountdown_ == 0) {
    ++stats.refused;
    return fail();
  }
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return fail();
  std::memset(block, kFreshPattern, size);
  blocks_.emplace(block, Block{tag, size});
  ++stats.liveBlocks;
  stats.liveBytes += size;
  ++stats.allocations;
  stats.sizes.push_back(size);
  ++totalAllocations_;
  if (result) *result = 0;
  return block;
}

uint32_t HostMemory::free(const char* tag, void* block) {
  std::unique_lock lock(mutex_);
  auto found = blocks_.find(block);
  if (found == blocks_.end()) {
    lock.unlock();
    host_.recordViolation("freed a block the host did not hand out (or freed it twice)");
    return 1;
  }
  if (tag == nullptr || found->second.tag != tag) {
    std::string expected = found->second.tag;
    lock.unlock();
    host_.recordViolation("freed a block of tag \"" + expected + "\" under another tag");
    return 1;
  }
  TagStats& stats = tags_[found->second.tag];
  --stats.liveBlocks;
  stats.liveBytes -= found->second.size;
  ++stats.frees;
  blocks_.erase(found);
  std::free(block);
  return 0;
}

void HostMemory::failAllocation(uint64_t nth) {
  std::lock_guard lock(mutex_);
  failCountdown_ = nth;
}

TagStats HostMemory::stats(const std::string& tag) const {
  std::lock_guard lock(mutex_);
  auto found = tags_.find(tag);
  return found == tags_.end() ? TagStats{} : found->second;
}

uint64_t HostMemory::totalAllocations() const {
  std::lock_guard lock(mutex_);
  return totalAllocations_;
}

}  // namespace host

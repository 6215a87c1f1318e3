#pragma once

// The "device" of the sample server: the current value, quality and time
// stamp of every item of the address space. The simulation and client
// writes change it; reads, whether from cache or from the device, and the
// data-change subscription take their values from it.
//
// Threads: one reader-writer lock guards all samples. Readers hold a
// ValueStore::Reading for as long as they look at samples (several may read
// at once); writers hold a ValueStore::Writing. A sample's version grows
// whenever its value or quality changes, which is how a group tells which
// items changed since it last sent them.

#include <cstdint>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "address_space.h"
#include "variant.h"

namespace sample {

struct Sample {
  Variant value;
  WORD quality = 0;
  FILETIME timeStamp{};
  uint64_t version = 1;
};

class ValueStore {
 public:
  // Every item starts with its initial value, good quality and the given
  // time stamp.
  ValueStore(std::shared_ptr<const AddressSpace> space, FILETIME start);

  const AddressSpace& space() const { return *space_; }

  class Reading {
   public:
    explicit Reading(const ValueStore& store) : store_(store), lock_(store.mutex_) {}
    const Sample& operator[](uint32_t item) const { return store_.samples_[item]; }

   private:
    const ValueStore& store_;
    std::shared_lock<std::shared_mutex> lock_;
  };

  class Writing {
   public:
    explicit Writing(ValueStore& store) : store_(store), lock_(store.mutex_) {}
    const Sample& operator[](uint32_t item) const { return store_.samples_[item]; }
    // Stores a new value and quality with its time stamp. Returns whether
    // anything changed (a sample that already holds this value and quality
    // keeps its version and time stamp).
    bool update(uint32_t item, Variant&& value, WORD quality, FILETIME timeStamp);

   private:
    ValueStore& store_;
    std::unique_lock<std::shared_mutex> lock_;
  };

 private:
  std::shared_ptr<const AddressSpace> space_;
  mutable std::shared_mutex mutex_;
  std::vector<Sample> samples_;  // guarded by mutex_, one per item of space_
};

}  // namespace sample

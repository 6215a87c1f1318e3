// Where objects land in a class that grows well beyond the size at which it
// keeps a lookup for free entries and present resources: every handle must
// be the one the plain walk from the cursor gives, entry by entry, before and
// after growth, with duplicates, holes, RSM_RegisterNoCheck and a whole-class
// RSM_ClassFree in between.

#include "morvick_fixture.h"

#include <map>
#include <optional>
#include <random>
#include <vector>

namespace {

using morvick_test::MorvickTest;
using morvick_test::rsm;

// The registry's placement rules, followed entry by entry.
class PlacementModel {
 public:
  struct Place {
    uint32_t slot = 0;
    uint32_t index = 0;
  };

  explicit PlacementModel(uint32_t firstEntries) { addBlock(firstEntries); }

  // RSM_Register: the place of the object, or nothing when the walk finds no
  // entry. `grew` tells that a block was added first.
  std::optional<Place> registerObject(uintptr_t resource, bool* grew) {
    *grew = registered_ == capacity_;
    if (*grew) {
      addBlock(capacity_ <= 100 ? capacity_ : 50);
      cursor_ = {static_cast<uint32_t>(blocks_.size() - 1), 0};
    }
    Place at = cursor_;
    for (uint32_t visited = 0; visited < capacity_; ++visited) {
      uintptr_t& held = blocks_[at.slot].resources[at.index];
      const Place found = at;
      at = following(at);
      if (held == resource || held == 0) {
        if (held == 0) claim(found, resource);
        cursor_ = at;
        return found;
      }
    }
    return std::nullopt;
  }

  // RSM_RegisterNoCheck.
  Place registerNoCheck(uintptr_t resource) {
    if (registered_ == capacity_) {
      addBlock(capacity_ <= 100 ? capacity_ : 50);
      cursor_ = {static_cast<uint32_t>(blocks_.size() - 1), 0};
      const Place place{static_cast<uint32_t>(blocks_.size() - 1), 0};
      claim(place, resource);
      return place;
    }
    Place at{0, blocks_[0].used};
    if (at.index < blocks_[0].resources.size() && blocks_[0].resources[at.index] == 0) {
      claim(at, resource);
      return at;
    }
    at = {0, 0};
    while (blocks_[at.slot].resources[at.index] != 0) at = following(at);
    claim(at, resource);
    return at;
  }

  void unregisterObject(Place place) {
    uintptr_t& held = blocks_[place.slot].resources[place.index];
    if (held == 0) return;
    held = 0;
    --blocks_[place.slot].used;
    --registered_;
  }

  uint32_t capacity() const { return capacity_; }
  uint32_t registered() const { return registered_; }
  uintptr_t resourceAt(Place place) const { return blocks_[place.slot].resources[place.index]; }

 private:
  struct Block {
    std::vector<uintptr_t> resources;
    uint32_t used = 0;
  };

  void addBlock(uint32_t entries) {
    blocks_.push_back(Block{std::vector<uintptr_t>(entries, 0), 0});
    capacity_ += entries;
  }
  void claim(Place place, uintptr_t resource) {
    blocks_[place.slot].resources[place.index] = resource;
    ++blocks_[place.slot].used;
    ++registered_;
  }
  // The ring: the first block, then the added blocks from the newest to the
  // oldest, then the first block again.
  Place following(Place at) const {
    if (++at.index < blocks_[at.slot].resources.size()) return at;
    const uint32_t last = static_cast<uint32_t>(blocks_.size() - 1);
    return {at.slot == 0 ? last : at.slot - 1, 0};
  }

  std::vector<Block> blocks_;
  uint32_t capacity_ = 0;
  uint32_t registered_ = 0;
  Place cursor_;
};

using Placement = MorvickTest;

TEST_F(Placement, LargeClassesPlaceObjectsWhereTheWalkFromTheCursorWould) {
  const uintptr_t cls = createClass(0);
  PlacementModel model(20);
  const uintptr_t entrySize = 3 * sizeof(uintptr_t);
  std::vector<uintptr_t> bases;  // the address of each block's first entry
  std::map<uintptr_t, PlacementModel::Place> live;  // handle -> place
  std::mt19937 random(20261210);

  // The handle the model's place stands for; a block's first placement is
  // always its first entry, which tells where the block lies.
  auto expectPlace = [&](uintptr_t handle, PlacementModel::Place place) {
    if (place.slot == bases.size()) {
      ASSERT_EQ(place.index, 0u);
      bases.push_back(handle);
    }
    ASSERT_LT(place.slot, bases.size());
    ASSERT_EQ(handle, bases[place.slot] + place.index * entrySize)
        << "slot " << place.slot << " index " << place.index;
    live[handle] = place;
  };
  auto unregisterSome = [&](size_t count) {
    for (size_t i = 0; i < count && !live.empty(); ++i) {
      auto victim = live.begin();
      std::advance(victim, std::uniform_int_distribution<size_t>(0, live.size() - 1)(random));
      rsm.unregisterObject(victim->first);
      model.unregisterObject(victim->second);
      live.erase(victim);
    }
  };
  auto run = [&](int operations, uintptr_t resources) {
    for (int step = 0; step < operations; ++step) {
      const uint32_t choice = random() % 100;
      // A small pool of resources makes repeated registrations common.
      const uintptr_t resource = 1 + random() % resources;
      uint16_t result = 0xFFFF;
      if (choice < 60) {
        bool grew = false;
        const auto place = model.registerObject(resource, &grew);
        const uintptr_t handle = rsm.registerObject(cls, resource, &result);
        ASSERT_TRUE(place.has_value());
        ASSERT_EQ(result, RSM_RESULT_OK);
        ASSERT_NO_FATAL_FAILURE(expectPlace(handle, *place));
      } else if (choice < 65) {
        const auto place = model.registerNoCheck(resource);
        const uintptr_t handle = rsm.registerNoCheck(cls, resource, &result);
        ASSERT_EQ(result, RSM_RESULT_OK);
        ASSERT_NO_FATAL_FAILURE(expectPlace(handle, place));
      } else {
        unregisterSome(1);
      }
    }
    const RsmClassInfo info = classInfo(cls);
    EXPECT_EQ(info.capacity, model.capacity());
    EXPECT_EQ(info.registered, model.registered());
  };

  // Lookups are the only allocations this large: a block holds at most 100
  // entries, and a lookup's table alone has 1024 slots.
  auto lookupsAllocated = [&] {
    size_t count = 0;
    for (uint32_t size : host->memory().stats(RSM_MEMORY_TAG).sizes) count += size >= 1024 * sizeof(void*);
    return count;
  };

  // Growing far past the lookup's threshold, through rebuilds for more
  // entries and for more blocks.
  ASSERT_NO_FATAL_FAILURE(run(16000, 10000));
  EXPECT_GT(model.capacity(), 3300u);
  EXPECT_GE(lookupsAllocated(), 2u);
  // Few free entries scattered through a full class: long walks.
  ASSERT_NO_FATAL_FAILURE(run(3000, 100000));
  // Freeing the whole class drops the lookup; the walks that follow build it
  // again.
  EXPECT_EQ(rsm.classFree(cls), RSM_RESULT_OK);
  for (auto& [handle, place] : live) model.unregisterObject(place);
  live.clear();
  const size_t before = lookupsAllocated();
  ASSERT_NO_FATAL_FAILURE(run(16000, 3000));
  EXPECT_GT(lookupsAllocated(), before);
  unregisterSome(live.size());
  EXPECT_EQ(rsm.classDelete(cls), RSM_RESULT_OK);
}

}  // namespace

#include "class_lookup.h"

#include "host_services.h"
#include "registry.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <mutex>

namespace morvick {

struct ClassLookup {
  uint32_t slotCapacity;  // blocks it can describe
  uint32_t tableSize;     // a power of two, at least twice the entries it takes
  uint32_t tableShift;    // 64 - log2(tableSize), for the hash
  uint32_t firstEntries;  // entries of the class's first block
  ResourceBlock** blocks;    // by slot
  uint32_t* nonFull;         // a bit per slot: the block has a free entry
  uint32_t* nonFullSummary;  // a bit per word of nonFull: the word is not zero
  uint32_t* firstFree;       // a bit per entry of the first block: free
  uint32_t* firstFreeSummary;
  ResourceEntry** table;  // live entries by resource; open addressing
};

namespace {

constexpr uint32_t kNone = UINT32_MAX;

uint32_t wordsFor(uint32_t bits) { return (bits + 31) / 32; }

// A set of bits with, optionally, a bit per word that tells a word with a set
// bit, so that sparse sets are searched a thousand bits at a time.
struct Bits {
  uint32_t* words;
  uint32_t* summary;  // may be null
  uint32_t count;

  void set(uint32_t i) {
    words[i / 32] |= 1u << (i % 32);
    if (summary != nullptr) summary[i / 1024] |= 1u << (i / 32 % 32);
  }
  void clear(uint32_t i) {
    const uint32_t word = i / 32;
    words[word] &= ~(1u << (i % 32));
    if (summary != nullptr && words[word] == 0) summary[word / 32] &= ~(1u << (word % 32));
  }

  // The lowest set bit at or after `from`, or kNone.
  uint32_t next(uint32_t from) const {
    if (from >= count) return kNone;
    uint32_t word = from / 32;
    const uint32_t masked = words[word] & (~0u << (from % 32));
    if (masked != 0) return word * 32 + static_cast<uint32_t>(std::countr_zero(masked));
    const uint32_t wordCount = wordsFor(count);
    ++word;
    if (summary == nullptr) {
      for (; word < wordCount; ++word) {
        if (words[word] != 0) return word * 32 + static_cast<uint32_t>(std::countr_zero(words[word]));
      }
      return kNone;
    }
    for (uint32_t group = word / 32; group < wordsFor(wordCount); ++group) {
      uint32_t marks = summary[group];
      if (group == word / 32) marks &= ~0u << (word % 32);
      if (marks != 0) {
        const uint32_t found = group * 32 + static_cast<uint32_t>(std::countr_zero(marks));
        return found * 32 + static_cast<uint32_t>(std::countr_zero(words[found]));
      }
    }
    return kNone;
  }

  // The highest set bit before `before`, or kNone.
  uint32_t previous(uint32_t before) const {
    if (before == 0) return kNone;
    const uint32_t last = before - 1;
    uint32_t word = last / 32;
    const uint32_t keep = last % 32 == 31 ? ~0u : (1u << (last % 32 + 1)) - 1;
    const uint32_t masked = words[word] & keep;
    if (masked != 0) return word * 32 + 31 - static_cast<uint32_t>(std::countl_zero(masked));
    if (word == 0) return kNone;
    --word;
    if (summary == nullptr) {
      for (;; --word) {
        if (words[word] != 0) return word * 32 + 31 - static_cast<uint32_t>(std::countl_zero(words[word]));
        if (word == 0) return kNone;
      }
    }
    for (uint32_t group = word / 32;; --group) {
      uint32_t marks = summary[group];
      if (group == word / 32 && word % 32 != 31) marks &= (1u << (word % 32 + 1)) - 1;
      if (marks != 0) {
        const uint32_t found = group * 32 + 31 - static_cast<uint32_t>(std::countl_zero(marks));
        return found * 32 + 31 - static_cast<uint32_t>(std::countl_zero(words[found]));
      }
      if (group == 0) return kNone;
    }
  }
};

uint32_t* addedBlockBits(ResourceBlock* block) {
  return reinterpret_cast<uint32_t*>(block->entries() + block->entryCount);
}

Bits freeBitsOf(ClassLookup* lookup, ResourceBlock* block) {
  if (block->slot == 0) return Bits{lookup->firstFree, lookup->firstFreeSummary, lookup->firstEntries};
  return Bits{addedBlockBits(block), nullptr, block->entryCount};
}

Bits nonFullBits(ClassLookup* lookup) { return Bits{lookup->nonFull, lookup->nonFullSummary, lookup->slotCapacity}; }

uint32_t homeOf(const ClassLookup* lookup, uintptr_t resource) {
  return static_cast<uint32_t>((uint64_t{resource} * 0x9E3779B97F4A7C15ull) >> lookup->tableShift);
}

uint32_t mask(const ClassLookup* lookup) { return lookup->tableSize - 1; }

void tableInsert(ClassLookup* lookup, ResourceEntry* entry) {
  uint32_t at = homeOf(lookup, entry->resource.load(std::memory_order_relaxed));
  while (lookup->table[at] != nullptr) at = (at + 1) & mask(lookup);
  lookup->table[at] = entry;
}

// Removes an entry that holds `resource`, shifting the entries behind it back
// so that no probe sequence is broken.
void tableErase(ClassLookup* lookup, ResourceEntry* entry, uintptr_t resource) {
  uint32_t hole = homeOf(lookup, resource);
  while (lookup->table[hole] != entry) {
    if (lookup->table[hole] == nullptr) return;  // not there: nothing to do
    hole = (hole + 1) & mask(lookup);
  }
  for (uint32_t at = (hole + 1) & mask(lookup); lookup->table[at] != nullptr; at = (at + 1) & mask(lookup)) {
    const uint32_t home = homeOf(lookup, lookup->table[at]->resource.load(std::memory_order_relaxed));
    // The entry may move into the hole unless its home lies after the hole
    // (cyclically) and at or before its place.
    const bool stays = hole <= at ? (home > hole && home <= at) : (home > hole || home <= at);
    if (!stays) {
      lookup->table[hole] = lookup->table[at];
      hole = at;
    }
  }
  lookup->table[hole] = nullptr;
}

ResourceBlock* nextInRing(ResourceClass* cls, ResourceBlock* block) {
  return block->nextBlock != nullptr ? block->nextBlock : &cls->firstBlock;
}

// The first free entry in ring order from (block, index) inclusive, or null.
// The ring runs from the first block (slot 0) to the newest added block and
// on to the oldest, i.e. down through the slots from the top one.
ResourceEntry* firstFreeFrom(ClassLookup* lookup, ResourceClass* cls, ResourceBlock* block, uint32_t index,
                             ResourceBlock** found) {
  const Bits own = freeBitsOf(lookup, block);
  uint32_t at = own.next(index);
  if (at != kNone) {
    *found = block;
    return block->entries() + at;
  }
  const Bits nonFull = nonFullBits(lookup);
  uint32_t slot = nonFull.previous(block->slot);
  if (slot == kNone) {
    slot = nonFull.previous(cls->blockCount);
    if (slot == block->slot) slot = kNone;
  }
  if (slot != kNone) {
    ResourceBlock* other = lookup->blocks[slot];
    at = freeBitsOf(lookup, other).next(0);
    if (at != kNone) {
      *found = other;
      return other->entries() + at;
    }
  }
  // Only the start block has room, before the index.
  at = own.next(0);
  if (at == kNone) return nullptr;
  *found = block;
  return block->entries() + at;
}

}  // namespace

ClassLookup* allocateLookup(uint32_t capacity, uint32_t blocks, uint32_t firstEntries) {
  const uint64_t slots = std::bit_ceil(std::max<uint64_t>(64, uint64_t{blocks} * 2));
  const uint64_t tableSize = std::bit_ceil(std::max<uint64_t>(1024, uint64_t{capacity} * 4));
  if (slots > UINT32_MAX / 2 || tableSize > UINT32_MAX / 2) return nullptr;
  const uint64_t slotWords = wordsFor(static_cast<uint32_t>(slots));
  const uint64_t firstWords = wordsFor(firstEntries);
  const uint64_t size = sizeof(ClassLookup) + slots * sizeof(ResourceBlock*) + tableSize * sizeof(ResourceEntry*) +
                        (slotWords + wordsFor(static_cast<uint32_t>(slotWords)) + firstWords +
                         wordsFor(static_cast<uint32_t>(firstWords))) *
                            sizeof(uint32_t);
  if (size > SIZE_MAX) return nullptr;
  void* memory = hostfn::allocate(static_cast<size_t>(size));
  if (memory == nullptr) return nullptr;
  auto* lookup = static_cast<ClassLookup*>(memory);
  lookup->slotCapacity = static_cast<uint32_t>(slots);
  lookup->tableSize = static_cast<uint32_t>(tableSize);
  lookup->tableShift = 64 - static_cast<uint32_t>(std::countr_zero(tableSize));
  lookup->firstEntries = firstEntries;
  // Pointer arrays first, then the bit words, so that each is aligned.
  auto* next = reinterpret_cast<unsigned char*>(lookup + 1);
  lookup->blocks = reinterpret_cast<ResourceBlock**>(next);
  next += slots * sizeof(ResourceBlock*);
  lookup->table = reinterpret_cast<ResourceEntry**>(next);
  next += tableSize * sizeof(ResourceEntry*);
  auto* words = reinterpret_cast<uint32_t*>(next);
  lookup->nonFull = words;
  words += slotWords;
  lookup->nonFullSummary = words;
  words += wordsFor(static_cast<uint32_t>(slotWords));
  lookup->firstFree = words;
  words += firstWords;
  lookup->firstFreeSummary = words;
  return lookup;
}

void releaseLookup(ClassLookup* lookup) {
  if (lookup != nullptr) hostfn::release(lookup);
}

bool lookupCovers(const ClassLookup* lookup, const ResourceClass* cls) {
  return lookup != nullptr && cls->blockCount <= lookup->slotCapacity && cls->capacity <= lookup->tableSize / 2 &&
         cls->firstBlock.entryCount == lookup->firstEntries;
}

void buildLookup(ClassLookup* lookup, ResourceClass* cls) {
  for (ResourceBlock* block = &cls->firstBlock; block != nullptr; block = block->nextBlock) {
    lookup->blocks[block->slot] = block;
    if (block->slot != 0) std::memset(addedBlockBits(block), 0, kAddedBlockBitBytes);
    Bits bits = freeBitsOf(lookup, block);
    for (uint32_t i = 0; i < block->entryCount; ++i) {
      ResourceEntry* entry = block->entries() + i;
      if (entry->resource.load(std::memory_order_relaxed) == 0) {
        bits.set(i);
      } else {
        tableInsert(lookup, entry);
      }
    }
    if (block->usedCount < block->entryCount) nonFullBits(lookup).set(block->slot);
  }
}

bool lookupAddBlock(ClassLookup* lookup, ResourceClass* cls, ResourceBlock* block) {
  if (!lookupCovers(lookup, cls)) return false;
  lookup->blocks[block->slot] = block;
  std::memset(addedBlockBits(block), 0, kAddedBlockBitBytes);
  Bits bits = freeBitsOf(lookup, block);
  for (uint32_t i = 0; i < block->entryCount; ++i) bits.set(i);
  nonFullBits(lookup).set(block->slot);
  return true;
}

void lookupClaimed(ClassLookup* lookup, ResourceBlock* block, ResourceEntry* entry) {
  freeBitsOf(lookup, block).clear(static_cast<uint32_t>(entry - block->entries()));
  if (block->usedCount == block->entryCount) nonFullBits(lookup).clear(block->slot);
  tableInsert(lookup, entry);
}

void lookupReleasing(ClassLookup* lookup, ResourceBlock* block, ResourceEntry* entry) {
  tableErase(lookup, entry, entry->resource.load(std::memory_order_relaxed));
  freeBitsOf(lookup, block).set(static_cast<uint32_t>(entry - block->entries()));
  nonFullBits(lookup).set(block->slot);
}

uintptr_t lookupSearchAndPlace(ClassLookup* lookup, ResourceClass* cls, uintptr_t resource) {
  ResourceBlock* const start = cls->cursorBlock;
  const uint32_t startIndex = cls->cursorIndex;
  const uint32_t blocks = cls->blockCount;
  // How far the walk from the cursor goes to reach an entry: blocks passed,
  // then the entry's index; the start block's entries before the cursor
  // come last.
  auto distance = [&](ResourceBlock* block, uint32_t index) {
    const uint64_t passed = block == start && index < startIndex
                                ? blocks
                                : (uint64_t{start->slot} + blocks - block->slot) % blocks;
    return passed << 32 | index;
  };

  ResourceBlock* block = nullptr;
  ResourceEntry* entry = firstFreeFrom(lookup, cls, start, startIndex, &block);
  bool isFree = entry != nullptr;
  uint64_t best = isFree ? distance(block, static_cast<uint32_t>(entry - block->entries())) : UINT64_MAX;
  // An entry that already holds the resource ends the walk if it comes first.
  for (uint32_t at = homeOf(lookup, resource); lookup->table[at] != nullptr; at = (at + 1) & mask(lookup)) {
    ResourceEntry* candidate = lookup->table[at];
    if (candidate->resource.load(std::memory_order_relaxed) != resource) continue;
    ResourceBlock* holder = candidate->block.load(std::memory_order_relaxed);
    const uint64_t reach = distance(holder, static_cast<uint32_t>(candidate - holder->entries()));
    if (reach < best) {
      best = reach;
      entry = candidate;
      block = holder;
      isFree = false;
    }
  }
  if (entry == nullptr) return 0;  // the walk would come back to where it began
  if (isFree) claimEntry(cls, block, entry, resource);
  uint32_t next = static_cast<uint32_t>(entry - block->entries()) + 1;
  if (next >= block->entryCount) {
    block = nextInRing(cls, block);
    next = 0;
  }
  cls->cursorBlock = block;
  cls->cursorIndex = next;
  return reinterpret_cast<uintptr_t>(entry);
}

ResourceEntry* lookupFirstFree(ClassLookup* lookup, ResourceClass* cls, ResourceBlock** block) {
  return firstFreeFrom(lookup, cls, &cls->firstBlock, 0, block);
}

void dropLookup(const ClassRef& ref) {
  {
    // Lookups change only under the index lock held exclusively, so a shared
    // hold is enough to see that there is none, without stopping everyone.
    SharedIndexHold index(registry().indexLock);
    if (!isLive(ref) || ref.cls->lookup == nullptr) return;
  }
  ClassLookup* dropped = nullptr;
  {
    std::lock_guard index(registry().indexLock);
    if (!isLive(ref) || ref.cls->lookup == nullptr) return;
    SemaphoreHold scan(ref.cls->semScan);
    SemaphoreHold hold(ref.cls->semState);
    dropped = ref.cls->lookup;
    ref.cls->lookup = nullptr;
  }
  releaseLookup(dropped);
}

void ensureLookup(const ClassRef& ref) {
  Registry& state = registry();
  // Other callers may grow the class between the allocation and the
  // installation; a few rounds catch up with them, and a class left without
  // a lookup still works, only more slowly.
  for (int round = 0; round < 3; ++round) {
    uint32_t capacity = 0;
    uint32_t blocks = 0;
    uint32_t firstEntries = 0;
    {
      SharedIndexHold index(state.indexLock);
      if (!isLive(ref)) return;
      SemaphoreHold hold(ref.cls->semState);
      if (ref.cls->lookup != nullptr || ref.cls->capacity <= kLookupThreshold) return;
      capacity = ref.cls->capacity;
      blocks = ref.cls->blockCount;
      firstEntries = ref.cls->firstBlock.entryCount;
    }
    ClassLookup* lookup = allocateLookup(capacity, blocks, firstEntries);
    if (lookup == nullptr) return;
    bool settled = false;
    {
      std::lock_guard index(state.indexLock);
      if (isLive(ref)) {
        ResourceClass* cls = ref.cls;
        SemaphoreHold scan(cls->semScan);
        SemaphoreHold hold(cls->semState);
        if (cls->lookup != nullptr) {
          settled = true;
        } else if (lookupCovers(lookup, cls)) {
          buildLookup(lookup, cls);
          cls->lookup = lookup;
          lookup = nullptr;
          settled = true;
        }
      } else {
        settled = true;
      }
    }
    releaseLookup(lookup);
    if (settled) return;
  }
}

}  // namespace morvick

#pragma once

// What keeps registering in a large class as cheap as in a small one.
//
// The slot search of RSM_Register walks the ring of blocks from the cursor to
// the first entry that is free or already holds the resource. In a class with
// many live objects and few free entries that walk crosses most of the class
// again and again. A class of more than kLookupThreshold entries therefore
// keeps a lookup beside its blocks:
//   - a bit per entry that says it is free (in each added block behind its
//     entries, for the first block in the lookup), and a bit per block that
//     says it has a free entry, to find the next free entry in ring order;
//   - a hash table of the live entries by resource, to find the entries that
//     already hold the resource being registered.
// The search then ends where the walk would have ended: at whichever of the
// first free entry and the first entry with the same resource comes first
// from the cursor.
//
// The lookup is only an accelerator. A class without one (too small, or its
// lookup could not be allocated or outgrew its size) walks as before, and a
// lookup is built from the blocks whenever one is installed. It is changed
// under the class's semState (entries claimed and released) and read under
// semScan and semState (the search); it is installed or dropped with the
// index lock held exclusively and both semaphores.

#include "resource_types.h"

#include <cstddef>
#include <cstdint>

namespace morvick {

// Classes of more entries than this keep a lookup.
inline constexpr uint32_t kLookupThreshold = 512;

// Entries of an added block, at most: a class grows by its own capacity up
// to 100 entries, then by 50. Every added block carries free bits for this
// many entries, behind its entries.
inline constexpr uint32_t kMaxAddedBlockEntries = 100;
inline constexpr uint32_t kAddedBlockBitWords = (kMaxAddedBlockEntries + 31) / 32;

struct ClassLookup;

// Bytes of the free bits behind an added block's entries.
inline constexpr size_t kAddedBlockBitBytes = kAddedBlockBitWords * sizeof(uint32_t);

// Allocates a lookup (zeroed, not yet built) for a class of `capacity`
// entries in `blocks` blocks whose first block has `firstEntries`, with room
// to grow; null when out of memory.
ClassLookup* allocateLookup(uint32_t capacity, uint32_t blocks, uint32_t firstEntries);
void releaseLookup(ClassLookup* lookup);

// Whether a lookup can describe the class as it is now.
bool lookupCovers(const ClassLookup* lookup, const ResourceClass* cls);

// Fills a lookup from the class's blocks. Needs both semaphores.
void buildLookup(ClassLookup* lookup, ResourceClass* cls);

// A block was just linked into the class (it is the newest, all free).
// Returns false when the lookup cannot take it; the caller then drops it.
bool lookupAddBlock(ClassLookup* lookup, ResourceClass* cls, ResourceBlock* block);

// An entry was claimed (its resource is set) or is about to be released (its
// resource is still set). Need semState.
void lookupClaimed(ClassLookup* lookup, ResourceBlock* block, ResourceEntry* entry);
void lookupReleasing(ClassLookup* lookup, ResourceBlock* block, ResourceEntry* entry);

// The slot search of RSM_Register through the lookup: the entry where the
// walk from the cursor would end, claimed if it is free, with the cursor
// moved past it. Needs both semaphores and a free entry in the class.
uintptr_t lookupSearchAndPlace(ClassLookup* lookup, ResourceClass* cls, uintptr_t resource);

// The first free entry in ring order from the start of the first block, for
// RSM_RegisterNoCheck. Needs semState and a free entry in the class.
ResourceEntry* lookupFirstFree(ClassLookup* lookup, ResourceClass* cls, ResourceBlock** block);

}  // namespace morvick

#pragma once

// The implicit first parameters of every call on an object (ORPCTHIS in,
// ORPCTHAT out) and the version both sides speak.

#include <memory>
#include <vector>

#include "dcom/ids.h"
#include "ndr/walker.h"

namespace dcom {

struct ComVersion {
  std::uint16_t major = 5;
  std::uint16_t minor = 7;
};
template <class W>
void walk(W& w, ComVersion& v) {
  w.u16(v.major);
  w.u16(v.minor);
}

// The version this side speaks, and what two sides agree on: the lower
// minor version, provided the major versions match and the client's minor
// version is not above ours.
inline constexpr ComVersion kServerVersion{5, 7};
bool versionAccepted(const ComVersion& client);

// Extra data a call may carry; unknown extents are passed over.
struct OrpcExtent {
  GUID id{};
  std::vector<std::uint8_t> data;  // without the padding to eight bytes
};
template <class W>
void walk(W& w, OrpcExtent& e) {
  std::uint32_t size = static_cast<std::uint32_t>(e.data.size());
  std::uint32_t rounded = (size + 7) & ~7u;
  w.maxCount(rounded);
  w.item(e.id);
  w.u32(size);
  if (size > rounded) {
    w.fail(ndr::Status::invalid);
    return;
  }
  if constexpr (W::kDecoding) {
    w.elements(e.data, rounded, 1);
    // Only what arrived is kept: on a failed walk the data stay empty.
    if (w.ok()) e.data.resize(size);
  } else {
    std::vector<std::uint8_t> padded = e.data;
    padded.resize(rounded);
    w.elements(padded, rounded, 1);
  }
}

struct OrpcExtentArray {
  std::uint32_t reserved = 0;
  // The slots as sent: an even number, unused ones NULL.
  std::vector<std::unique_ptr<OrpcExtent>> extents;
};
template <class W>
void walk(W& w, OrpcExtentArray& a) {
  std::uint32_t size = static_cast<std::uint32_t>(a.extents.size());
  w.u32(size);
  w.u32(a.reserved);
  if constexpr (!W::kDecoding) {
    if (a.extents.size() % 2 != 0) a.extents.emplace_back();
  }
  std::uint32_t slots = (size + 1) & ~1u;
  w.sizedPointer(a.extents, slots, 4, [](W& w2, std::unique_ptr<OrpcExtent>& e) { w2.unique(e); });
}

struct OrpcThis {
  ComVersion version;
  std::uint32_t flags = 0;
  std::uint32_t reserved1 = 0;
  GUID cid{};  // causality id
  std::unique_ptr<OrpcExtentArray> extensions;
};
template <class W>
void walk(W& w, OrpcThis& o) {
  w.align(4);
  w.item(o.version);
  w.u32(o.flags);
  w.u32(o.reserved1);
  w.item(o.cid);
  w.unique(o.extensions);
}

struct OrpcThat {
  std::uint32_t flags = 0;
  std::unique_ptr<OrpcExtentArray> extensions;
};
template <class W>
void walk(W& w, OrpcThat& o) {
  w.align(4);
  w.u32(o.flags);
  w.unique(o.extensions);
}

}  // namespace dcom

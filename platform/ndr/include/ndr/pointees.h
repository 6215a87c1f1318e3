#pragma once

// The pointee queue both walkers share: embedded pointees wait until the
// construct that holds their pointers ends, then follow it in order.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "ndr/error.h"

namespace ndr {

class InterfaceMarshaler;

// Nesting of pointees (a VARIANT by reference to a VARIANT to ...) beyond
// this is refused rather than followed down the stack.
inline constexpr std::size_t kMaxDepth = 48;

// The first referent id an Encoder hands out, and the step between ids, as
// the usual peers do. Decoders accept any non-zero value.
inline constexpr std::uint32_t kFirstReferent = 0x00020000;

class WalkerBase;

// A pointee's walk, kept until the construct that holds its pointer ends.
// Arrays of structures queue one per element, so the usual small capture
// (two or three pointers) lives in place and moves as plain bytes; anything
// larger or with a destructor of its own goes to the heap.
class Deferred {
 public:
  template <class F>
    requires(!std::is_same_v<std::decay_t<F>, Deferred>)
  explicit Deferred(F&& body) {
    using Body = std::decay_t<F>;
    if constexpr (sizeof(Body) <= kInline && alignof(Body) <= alignof(void*) &&
                  std::is_trivially_copyable_v<Body>) {
      ::new (static_cast<void*>(storage_)) Body(std::forward<F>(body));
      run_ = [](Deferred& self, bool call) {
        if (call) (*std::launder(reinterpret_cast<Body*>(self.storage_)))();
      };
    } else {
      Body* held = new Body(std::forward<F>(body));
      std::memcpy(storage_, &held, sizeof held);
      run_ = [](Deferred& self, bool call) {
        Body* body = nullptr;
        std::memcpy(&body, self.storage_, sizeof body);
        if (call) {
          (*body)();
        } else {
          delete body;
        }
      };
      owning_ = true;
    }
  }
  Deferred(Deferred&& other) noexcept : run_(other.run_), owning_(other.owning_), leaf_(other.leaf_) {
    std::memcpy(storage_, other.storage_, sizeof storage_);
    other.owning_ = false;
  }
  Deferred& operator=(Deferred&&) = delete;
  Deferred(const Deferred&) = delete;
  ~Deferred() {
    if (owning_) run_(*this, false);
  }

  // A leaf: a pointee with no pointees of its own, written from two words
  // by a plain function. It needs no construct, and the words are stored
  // as words (a small structure copied through a closure costs more than
  // writing it).
  using LeafWriter = void (*)(WalkerBase& walker, std::uint64_t first, std::uint64_t second);
  Deferred(LeafWriter writer, std::uint64_t first, std::uint64_t second) : run_(nullptr), leaf_(true) {
    std::memcpy(storage_, &writer, sizeof writer);
    std::memcpy(storage_ + 8, &first, 8);
    std::memcpy(storage_ + 16, &second, 8);
  }

  void operator()() { run_(*this, true); }
  bool leaf() const { return leaf_; }
  void writeLeaf(WalkerBase& walker) const {
    LeafWriter writer = nullptr;
    std::uint64_t first = 0, second = 0;
    std::memcpy(&writer, storage_, sizeof writer);
    std::memcpy(&first, storage_ + 8, 8);
    std::memcpy(&second, storage_ + 16, 8);
    writer(walker, first, second);
  }

 private:
  static constexpr std::size_t kInline = 3 * sizeof(void*);
  alignas(void*) unsigned char storage_[kInline];
  void (*run_)(Deferred&, bool);
  bool owning_ = false;
  bool leaf_ = false;
};

// What both walkers share: the sticky error, the pointee deferral, the
// nesting limit and the optional interface marshaler.
class WalkerBase {
 public:
  WalkerBase() : pending_(takePendingStack()) {}
  ~WalkerBase() { returnPendingStack(std::move(pending_)); }
  WalkerBase(const WalkerBase&) = delete;
  WalkerBase& operator=(const WalkerBase&) = delete;

  bool ok() const { return !error_.has_value(); }
  const std::optional<Error>& error() const { return error_; }

  // Interfaces inside values (VT_UNKNOWN, VT_DISPATCH) need the exporter or a
  // proxy manager; without one a non-null interface is refused.
  InterfaceMarshaler* marshaler() const { return marshaler_; }
  void setMarshaler(InterfaceMarshaler* marshaler) { marshaler_ = marshaler; }

  // A construct whose embedded pointees are written after it: a top-level
  // parameter, or a pointee (whose own pointees then follow it directly).
  // Pointees are taken in the order their pointers appeared.
  template <class F>
  void construct(F&& body) {
    if (!ok()) return;
    if (depth_ >= kMaxDepth) {
      failAt(Status::tooDeep, 0);
      return;
    }
    ++depth_;
    // One stack holds the queued pointees of every open construct: this
    // one's start at `first`; each pointee's own are queued above the end
    // of these and gone again when it returns.
    const std::size_t first = pending_.size();
    body();
    const std::size_t end = pending_.size();
    for (std::size_t i = first; i < end && ok(); ++i) {
      if (pending_[i].leaf()) {
        pending_[i].writeLeaf(*this);
        continue;
      }
      // Out of the stack first: it may grow, and move, while this runs.
      Deferred pointee(std::move(pending_[i]));
      construct(pointee);
    }
    while (pending_.size() > first) pending_.pop_back();
    --depth_;
  }

  // Queues a pointee behind the current construct.
  template <class F>
  void defer(F&& pointee) {
    if (!ok()) return;
    if (depth_ == 0) {
      construct(pointee);
      return;
    }
    pending_.emplace_back(std::forward<F>(pointee));
  }
  // Queues a pointee that has no pointees of its own (see Deferred).
  void deferLeaf(Deferred::LeafWriter writer, std::uint64_t first, std::uint64_t second) {
    if (!ok()) return;
    if (depth_ == 0) {
      writer(*this, first, second);
      return;
    }
    pending_.emplace_back(writer, first, second);
  }

 protected:
  void failAt(Status status, std::size_t offset) {
    if (!error_) error_ = Error{status, offset};
  }

 private:
  // The stack's storage is kept per thread from one walk to the next, so
  // that a walk of many pointees does not allocate it each time.
  static std::vector<Deferred> takePendingStack();
  static void returnPendingStack(std::vector<Deferred>&& stack);

  std::optional<Error> error_;
  std::vector<Deferred> pending_;
  std::size_t depth_ = 0;
  InterfaceMarshaler* marshaler_ = nullptr;
};

}  // namespace ndr

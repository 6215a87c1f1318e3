#pragma once

// NDR 2.0 (little-endian, IEEE floats, ASCII) in both directions.
//
// Every wire type is described once, by a function
//
//   template <class W> void walk(W& w, T& value);
//
// that names the type's members in wire order through the walker's calls
// (w.u32(x), w.align(8), w.unique(p, ...), w.conformantArray(v, ...) and so
// on). The Encoder writes each member it is handed; the Decoder reads into
// it. So a stub, a proxy and a test all use the same description and cannot
// drift apart. Descriptions live beside their types (ADL finds them);
// descriptions of types this layer does not own (GUID, CY, FILETIME) live in
// namespace ndr.
//
// The Decoder never reads past the end of the bytes it was given. The first
// fault sticks: later reads return zeros and do nothing else, so a
// description needs no checks of its own after each member, and the result
// of the whole walk is one error value. Pointees are read after the
// construct that holds their pointers, so a description cannot check what a
// pointer leads to; such checks belong after decode() returns. Counts read
// from the wire are checked
// against the bytes left before anything is allocated for them, so memory
// stays proportional to the input.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "ndr/error.h"

struct GUID;

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

template <class T>
concept Scalar = std::is_arithmetic_v<T> || std::is_enum_v<T>;

// The element walk of an array described without one: the type's own.
struct WalkEach {
  template <class W, class T>
  void operator()(W& w, T& element) const {
    walk(w, element);
  }
};

// The calls a description uses, common to both walkers. Derived is Encoder
// or Decoder; each supplies scalar(), bytes(), align(), position(),
// referentOut/In and the array bound checks.
template <class Derived>
class Walker : public WalkerBase {
 public:
  Derived& self() { return static_cast<Derived&>(*this); }

  void u8(std::uint8_t& v) { self().scalar(v); }
  void u16(std::uint16_t& v) { self().scalar(v); }
  void u32(std::uint32_t& v) { self().scalar(v); }
  void u64(std::uint64_t& v) { self().scalar(v); }
  void i8(std::int8_t& v) { self().scalar(v); }
  void i16(std::int16_t& v) { self().scalar(v); }
  void i32(std::int32_t& v) { self().scalar(v); }
  void i64(std::int64_t& v) { self().scalar(v); }
  void f32(float& v) { self().scalar(v); }
  void f64(double& v) { self().scalar(v); }

  // A plain IDL enum travels as 16 bits; values above 32767 are refused.
  template <class E>
  void enum16(E& v) {
    std::uint16_t raw = static_cast<std::uint16_t>(v);
    if (!Derived::kDecoding && static_cast<std::uint64_t>(v) > 0x7FFF) self().fail(Status::invalid);
    self().scalar(raw);
    if (raw > 0x7FFF) self().fail(Status::invalid);
    v = static_cast<E>(raw);
  }

  // A member or element of any described type.
  template <class T>
  void item(T& v) {
    walk(self(), v);
  }

  // A top-level parameter of a method.
  template <class T>
  void param(T& v) {
    construct([&] { walk(self(), v); });
  }

  // Embedded pointers: the referent id now, the pointee after the construct.
  // walkPointee(W&, T&) describes the pointee; by default the type's walk.
  template <class T, class F>
  void unique(std::unique_ptr<T>& p, F walkPointee) {
    pointer(p, std::move(walkPointee), false);
  }
  template <class T>
  void unique(std::unique_ptr<T>& p) {
    unique(p, [](Derived& w, T& v) { walk(w, v); });
  }
  // A [ref] pointer is never NULL.
  template <class T, class F>
  void ref(std::unique_ptr<T>& p, F walkPointee) {
    pointer(p, std::move(walkPointee), true);
  }
  template <class T>
  void ref(std::unique_ptr<T>& p) {
    ref(p, [](Derived& w, T& v) { walk(w, v); });
  }
  // A full pointer: a referent id seen before means the same object, whose
  // pointee is not repeated.
  template <class T, class F>
  void full(std::shared_ptr<T>& p, F walkPointee) {
    self().fullPointer(p, std::move(walkPointee));
  }
  template <class T>
  void full(std::shared_ptr<T>& p) {
    full(p, [](Derived& w, T& v) { walk(w, v); });
  }

  // The conformance (max_count) of a conformant array. Inside a structure it
  // opens the structure; on its own it directly precedes the elements.
  void maxCount(std::uint32_t& count) { self().scalar(count); }

  // count elements of v (conformance already walked). minWireSize is the
  // fewest bytes one element can take, for the bound check. Decoding fills
  // a vector; encoding also takes a span (a block handed out elsewhere).
  template <class Elements, class F>
  void elements(Elements& v, std::uint32_t count, std::size_t minWireSize, F walkElement) {
    using T = typename Elements::value_type;
    if (!ok()) return;
    if (!self().reserveElements(v, count, minWireSize)) return;
    if constexpr (std::is_same_v<F, WalkEach> && std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                  std::endian::native == std::endian::little) {
      // Integers lie on the wire as they lie in memory (bytes need no
      // alignment at all): aligned once, then one copy.
      if (v.empty()) return;
      self().align(sizeof(T));
      self().bytes(reinterpret_cast<std::uint8_t*>(v.data()), v.size() * sizeof(T));
    } else {
      for (std::size_t i = 0; i < v.size() && ok(); ++i) walkElement(self(), v[i]);
    }
  }
  template <class T>
  void elements(std::vector<T>& v, std::uint32_t count, std::size_t minWireSize) {
    elements(v, count, minWireSize, WalkEach{});
  }

  // [size_is] T a[]: max_count, then the elements.
  template <class T, class F>
  void conformantArray(std::vector<T>& v, std::size_t minWireSize, F walkElement) {
    std::uint32_t count = static_cast<std::uint32_t>(v.size());
    maxCount(count);
    elements(v, count, minWireSize, std::move(walkElement));
  }
  template <class T>
  void conformantArray(std::vector<T>& v, std::size_t minWireSize) {
    conformantArray(v, minWireSize, WalkEach{});
  }

  // [length_is] T a[N]: offset and actual_count, then the elements present.
  // The Decoder keeps the elements that were sent; *offset reports where
  // they start.
  template <class T, class F>
  void varyingArray(std::vector<T>& v, std::size_t minWireSize, F walkElement, std::uint32_t* offset = nullptr) {
    std::uint32_t first = offset ? *offset : 0;
    std::uint32_t actual = static_cast<std::uint32_t>(v.size());
    u32(first);
    u32(actual);
    if (offset) *offset = first;
    elements(v, actual, minWireSize, std::move(walkElement));
  }

  // [size_is, length_is] T a[]: max_count, offset, actual_count, elements.
  // offset + actual_count must lie within max_count.
  template <class T, class F>
  void conformantVaryingArray(std::vector<T>& v, std::size_t minWireSize, F walkElement,
                              std::uint32_t* maximum = nullptr, std::uint32_t* offset = nullptr) {
    std::uint32_t max = maximum ? *maximum : static_cast<std::uint32_t>(v.size());
    if (!Derived::kDecoding && max < v.size() + (offset ? *offset : 0)) self().fail(Status::invalid);
    maxCount(max);
    std::uint32_t first = offset ? *offset : 0;
    std::uint32_t actual = static_cast<std::uint32_t>(v.size());
    u32(first);
    u32(actual);
    if (std::uint64_t{first} + actual > max) self().fail(Status::invalid);
    if (maximum) *maximum = max;
    if (offset) *offset = first;
    elements(v, actual, minWireSize, std::move(walkElement));
  }

  // A [size_is(count)] pointer to an array, count being a member walked
  // before: the referent, then (deferred) max_count and the elements.
  // Encoding sends NULL for an empty array; decoding reads NULL as empty.
  // max_count must equal count.
  template <class Elements, class F>
  void sizedPointer(Elements& v, std::uint32_t count, std::size_t minWireSize, F walkElement) {
    bool present = !Derived::kDecoding && !v.empty();
    self().referent(present, false);
    if constexpr (Derived::kDecoding) v.clear();
    if (!ok() || !present) return;
    Elements* target = &v;
    defer([this, target, count, minWireSize, walkElement] {
      std::uint32_t conformance = count;
      maxCount(conformance);
      if (conformance != count) {
        self().fail(Status::invalid);
        return;
      }
      elements(*target, conformance, minWireSize, walkElement);
    });
  }
  template <class T>
  void sizedPointer(std::vector<T>& v, std::uint32_t count, std::size_t minWireSize) {
    sizedPointer(v, count, minWireSize, WalkEach{});
  }

  // A [size_is(count)] array in place (a top-level [ref] array parameter):
  // max_count, which must equal count, then the elements.
  template <class T, class F>
  void sizedArray(std::vector<T>& v, std::uint32_t count, std::size_t minWireSize, F walkElement) {
    std::uint32_t conformance = count;
    maxCount(conformance);
    if (ok() && conformance != count) {
      self().fail(Status::invalid);
      return;
    }
    elements(v, conformance, minWireSize, std::move(walkElement));
  }
  template <class T>
  void sizedArray(std::vector<T>& v, std::uint32_t count, std::size_t minWireSize) {
    sizedArray(v, count, minWireSize, WalkEach{});
  }

  // A member of a packed (not NDR-aligned) structure such as an OBJREF.
  template <Scalar T>
  void packed(T& v) {
    if constexpr (Derived::kDecoding) {
      self().get(v);
    } else {
      self().put(v);
    }
  }
  void packedGuid(GUID& g);

  // [string] wchar_t* / char*: a conformant-varying array whose last element
  // is the terminator, which the text itself does not hold.
  void wideString(std::u16string& text) { self().string(text); }
  void narrowString(std::string& text) { self().string(text); }

 private:
  template <class T, class F>
  void pointer(std::unique_ptr<T>& p, F walkPointee, bool isRef) {
    bool present = static_cast<bool>(p);
    self().referent(present, isRef);
    if (!ok()) return;
    if (!present) {
      p.reset();
      return;
    }
    if (Derived::kDecoding && !p) p = std::make_unique<T>();
    T* target = p.get();
    defer([this, target, walkPointee] { walkPointee(self(), *target); });
  }
};

// Writes NDR into a byte vector (appending; alignment counts from where the
// Encoder started). The vector is grown in large steps and written through
// directly; what lies beyond the written bytes is cut off when the Encoder
// goes (or at finish()), so the vector must not be read before then.
class Encoder : public Walker<Encoder> {
 public:
  static constexpr bool kDecoding = false;

  explicit Encoder(std::vector<std::uint8_t>& out) : out_(out), base_(out.size()), end_(out.size()) {}
  ~Encoder() { finish(); }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Cuts the vector to the bytes written; nothing may be written after.
  void finish() {
    if (finished_) return;
    out_.resize(end_);
    finished_ = true;
  }

  std::size_t position() const { return end_ - base_; }
  void fail(Status status) { failAt(status, position()); }

  void align(std::size_t n) {
    if (!ok()) return;
    const std::size_t pad = (n - position() % n) % n;
    if (pad != 0) std::memset(room(pad), 0, pad);
  }

  template <Scalar T>
  void scalar(T& v) {
    if (!ok()) return;
    align(sizeof(T));
    put(v);
  }
  // Writes without aligning (packed structures such as OBJREF). The wire
  // is little-endian, as is every host this builds for.
  template <Scalar T>
  void put(const T& v) {
    static_assert(std::endian::native == std::endian::little);
    if (!ok()) return;
    std::memcpy(room(sizeof(T)), &v, sizeof(T));
  }
  void bytes(std::uint8_t* data, std::size_t count) { bytes(static_cast<const std::uint8_t*>(data), count); }
  void bytes(const std::uint8_t* data, std::size_t count) {
    if (!ok() || count == 0) return;
    std::memcpy(room(count), data, count);
  }

  // Writes the first `length` bytes of four little-endian words: a fixed
  // layout in whole-word stores.
  void words(std::size_t length, std::uint64_t w0, std::uint64_t w1, std::uint64_t w2, std::uint64_t w3) {
    if (!ok()) return;
    std::uint8_t* at = room(32);
    std::memcpy(at, &w0, 8);
    std::memcpy(at + 8, &w1, 8);
    std::memcpy(at + 16, &w2, 8);
    std::memcpy(at + 24, &w3, 8);
    // What lies past `length` is spare room, written over next.
    end_ -= 32 - length;
  }

  // Overwrites a u32 written earlier (a size known only afterwards).
  void patch32(std::size_t at, std::uint32_t value) { std::memcpy(out_.data() + base_ + at, &value, 4); }

  void referent(bool present, bool isRef) {
    if (isRef && !present) {
      fail(Status::invalid);
      return;
    }
    std::uint32_t id = present ? nextReferent() : 0;
    scalar(id);
  }

  std::uint32_t nextReferent() {
    std::uint32_t id = kFirstReferent + 4 * referents_++;
    return id;
  }

  template <class T, class F>
  void fullPointer(std::shared_ptr<T>& p, F walkPointee) {
    if (!p) {
      std::uint32_t zero = 0;
      scalar(zero);
      return;
    }
    auto found = fullIds_.find(p.get());
    if (found != fullIds_.end()) {
      std::uint32_t id = found->second;
      scalar(id);
      return;
    }
    std::uint32_t id = nextReferent();
    fullIds_.emplace(p.get(), id);
    scalar(id);
    T* target = p.get();
    defer([this, target, walkPointee] { walkPointee(*this, *target); });
  }

  template <class Elements>
  bool reserveElements(const Elements& v, std::uint32_t count, std::size_t) {
    if (v.size() != count) {
      fail(Status::invalid);
      return false;
    }
    return true;
  }

  template <class Char>
  void string(std::basic_string<Char>& text) {
    std::uint32_t count = static_cast<std::uint32_t>(text.size() + 1);
    std::uint32_t zero = 0;
    scalar(count);
    scalar(zero);
    scalar(count);
    bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size() * sizeof(Char));
    put(Char{0});
  }

 private:
  // count bytes more at the end, to be written by the caller.
  std::uint8_t* room(std::size_t count) {
    if (out_.size() - end_ < count) [[unlikely]] grow(count);
    std::uint8_t* at = out_.data() + end_;
    end_ += count;
    return at;
  }
  // Capacity doubles; the size (which resize fills with zeros) grows by at
  // most a few pages at a time, written over at once while they are in
  // cache.
  [[gnu::noinline]] void grow(std::size_t count) {
    const std::size_t size = end_ + std::max({count, std::min<std::size_t>(end_, 16384), std::size_t{256}});
    if (size > out_.capacity()) out_.reserve(std::max(out_.capacity() * 2, size));
    out_.resize(size);
  }

  std::vector<std::uint8_t>& out_;
  std::size_t base_;
  std::size_t end_;
  bool finished_ = false;
  std::uint32_t referents_ = 0;
  std::unordered_map<const void*, std::uint32_t> fullIds_;
};

// Reads NDR from the bytes it is given and never past their end.
class Decoder : public Walker<Decoder> {
 public:
  static constexpr bool kDecoding = true;

  explicit Decoder(std::span<const std::uint8_t> in) : in_(in) {}

  std::size_t position() const { return position_; }
  std::size_t remaining() const { return in_.size() - position_; }
  void fail(Status status) { failAt(status, position_); }

  // Alignment stops at the end of the input: only a read beyond it fails, so
  // a value that ends the stream short of the next boundary is accepted.
  void align(std::size_t n) {
    if (!ok()) return;
    std::size_t next = (position_ + n - 1) / n * n;
    position_ = next < in_.size() ? next : in_.size();
  }

  template <Scalar T>
  void scalar(T& v) {
    align(sizeof(T));
    get(v);
  }
  template <Scalar T>
  void get(T& v) {
    v = T{};
    if (!ok()) return;
    if (remaining() < sizeof(T)) {
      fail(Status::truncated);
      return;
    }
    using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
              std::conditional_t<sizeof(T) == 2, std::uint16_t,
              std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
    U raw = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) raw |= static_cast<U>(U{in_[position_ + i]} << (8 * i));
    std::memcpy(&v, &raw, sizeof(T));
    position_ += sizeof(T);
  }
  void bytes(std::uint8_t* data, std::size_t count) {
    if (!ok() || count == 0) return;
    if (remaining() < count) {
      std::memset(data, 0, count);
      fail(Status::truncated);
      return;
    }
    std::memcpy(data, in_.data() + position_, count);
    position_ += count;
  }
  // A view of the next count bytes, consumed; empty on a fault.
  std::span<const std::uint8_t> take(std::size_t count) {
    if (!ok()) return {};
    if (remaining() < count) {
      fail(Status::truncated);
      return {};
    }
    auto view = in_.subspan(position_, count);
    position_ += count;
    return view;
  }
  void skip(std::size_t count) { take(count); }

  // Whether count elements of at least minWireSize bytes each can still
  // follow; fails the walk otherwise.
  bool canHold(std::uint64_t count, std::size_t minWireSize) {
    if (!ok()) return false;
    if (count * std::max<std::size_t>(minWireSize, 1) > remaining()) {
      fail(Status::truncated);
      return false;
    }
    return true;
  }

  void referent(bool& present, bool isRef) {
    std::uint32_t id = 0;
    scalar(id);
    present = id != 0;
    if (isRef && !present && ok()) fail(Status::invalid);
  }

  template <class T, class F>
  void fullPointer(std::shared_ptr<T>& p, F walkPointee) {
    std::uint32_t id = 0;
    scalar(id);
    p.reset();
    if (!ok() || id == 0) return;
    auto found = fullObjects_.find(id);
    if (found != fullObjects_.end()) {
      if (*found->second.type != typeid(T)) {
        fail(Status::invalid);
        return;
      }
      p = std::static_pointer_cast<T>(found->second.object);
      return;
    }
    p = std::make_shared<T>();
    fullObjects_.emplace(id, Shared{p, &typeid(T)});
    T* target = p.get();
    defer([this, target, walkPointee] { walkPointee(*this, *target); });
  }

  template <class T>
  bool reserveElements(std::vector<T>& v, std::uint32_t count, std::size_t minWireSize) {
    if (!canHold(count, minWireSize)) return false;
    v.clear();
    v.resize(count);
    return true;
  }

  template <class Char>
  void string(std::basic_string<Char>& text) {
    std::uint32_t max = 0, offset = 0, actual = 0;
    text.clear();
    scalar(max);
    scalar(offset);
    scalar(actual);
    if (!ok()) return;
    if (actual == 0 || std::uint64_t{offset} + actual > max) {
      fail(Status::invalid);
      return;
    }
    if (!canHold(actual, sizeof(Char))) return;
    text.resize(actual);
    for (auto& c : text) get(c);
    if (text.back() != Char{0}) {
      fail(Status::invalid);
      return;
    }
    text.pop_back();
  }

 private:
  struct Shared {
    std::shared_ptr<void> object;
    const std::type_info* type;
  };
  std::span<const std::uint8_t> in_;
  std::size_t position_ = 0;
  std::unordered_map<std::uint32_t, Shared> fullObjects_;
};

// Descriptions of the primitive types and of GUID (a structure of u32, u16,
// u16 and eight bytes, aligned to 4).
template <class W, class T>
  requires std::is_arithmetic_v<T>
void walk(W& w, T& v) {
  w.scalar(v);
}
void walk(Encoder& w, GUID& g);
void walk(Decoder& w, GUID& g);

// Encodes what body(Encoder&) describes, appending to out. The body is one
// construct: pointees it leaves deferred are written at its end.
template <class F>
std::optional<Error> encode(std::vector<std::uint8_t>& out, F&& body, InterfaceMarshaler* marshaler = nullptr) {
  Encoder encoder(out);
  encoder.setMarshaler(marshaler);
  encoder.construct([&] { body(encoder); });
  return encoder.error();
}

// Decodes what body(Decoder&) describes from in. Bytes after the last item
// are ignored (peers append verification trailers and filler); consumed
// reports how many were used.
template <class F>
std::optional<Error> decode(std::span<const std::uint8_t> in, F&& body, std::size_t* consumed = nullptr,
                            InterfaceMarshaler* marshaler = nullptr) {
  Decoder decoder(in);
  decoder.setMarshaler(marshaler);
  decoder.construct([&] { body(decoder); });
  if (consumed) *consumed = decoder.position();
  return decoder.error();
}

}  // namespace ndr

#pragma once

// The calls a wire type's description makes (w.u32(x), w.unique(p, ...),
// w.conformantArray(v, ...) and so on), written once for both walkers.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "ndr/error.h"
#include "ndr/pointees.h"

struct GUID;

namespace ndr {

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

}  // namespace ndr

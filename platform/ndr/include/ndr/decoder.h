#pragma once

// The Decoder never reads past the end of the bytes it was given. The first
// fault sticks: later reads return zeros and do nothing else, so a
// description needs no checks of its own after each member, and the result
// of the whole walk is one error value. Pointees are read after the
// construct that holds their pointers, so a description cannot check what a
// pointer leads to; such checks belong after decode() returns. Counts read
// from the wire are checked against the bytes left before anything is
// allocated for them, so memory stays proportional to the input.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "ndr/error.h"
#include "ndr/walker_calls.h"

namespace ndr {

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

}  // namespace ndr

#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ndr/error.h"
#include "ndr/pointees.h"
#include "ndr/walker_calls.h"

namespace ndr {

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

}  // namespace ndr

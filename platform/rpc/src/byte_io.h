#pragma once
// Little-endian readers and writers over byte buffers. The reader never reads
// past its end: a read beyond it marks the reader failed and returns zero, so
// a decoder checks once at the end instead of after every field.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "rpc/uuid.h"

namespace rpc::detail {

class ByteReader {
public:
  explicit ByteReader(std::span<const uint8_t> bytes, size_t offset = 0)
      : bytes_(bytes), offset_(offset) {
    if (offset_ > bytes_.size()) failed_ = true;
  }

  bool ok() const { return !failed_; }
  size_t offset() const { return offset_; }
  size_t remaining() const { return failed_ ? 0 : bytes_.size() - offset_; }

  uint8_t u8() { return static_cast<uint8_t>(read(1)); }
  uint16_t u16() { return static_cast<uint16_t>(read(2)); }
  uint32_t u32() { return static_cast<uint32_t>(read(4)); }

  std::span<const uint8_t> take(size_t count) {
    if (failed_ || count > remaining()) {
      failed_ = true;
      return {};
    }
    auto result = bytes_.subspan(offset_, count);
    offset_ += count;
    return result;
  }

  void skip(size_t count) { take(count); }

  void alignTo(size_t alignment, size_t base = 0) {
    size_t misalign = (offset_ - base) % alignment;
    if (misalign != 0) skip(alignment - misalign);
  }

  Uuid uuid() {
    Uuid value;
    auto raw = take(16);
    if (!raw.empty()) std::memcpy(value.bytes.data(), raw.data(), 16);
    return value;
  }

  SyntaxId syntax() {
    SyntaxId value;
    value.uuid = uuid();
    value.major = u16();
    value.minor = u16();
    return value;
  }

private:
  uint64_t read(size_t count) {
    auto raw = take(count);
    uint64_t value = 0;
    for (size_t i = 0; i < raw.size(); ++i) value |= uint64_t{raw[i]} << (8 * i);
    return value;
  }

  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
  bool failed_ = false;
};

// Appends to a vector; sizes and offsets count from where the writer
// started.
class ByteWriter {
public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out), base_(out.size()) {}

  size_t size() const { return out_.size() - base_ + gap_; }
  // Counts `count` bytes that are not written here (a stub sent from where
  // it lies); only offsets before the gap can be patched.
  void gap(size_t count) { gap_ += count; }
  void u8(uint8_t v) { out_.push_back(v); }
  void u16(uint16_t v) { write(v, 2); }
  void u32(uint32_t v) { write(v, 4); }
  void bytes(std::span<const uint8_t> data) { out_.insert(out_.end(), data.begin(), data.end()); }
  void zeros(size_t count) { out_.insert(out_.end(), count, 0); }
  void uuid(const Uuid& value) { bytes(value.bytes); }
  void syntax(const SyntaxId& value) {
    uuid(value.uuid);
    u16(value.major);
    u16(value.minor);
  }
  void alignTo(size_t alignment, size_t base = 0) {
    size_t misalign = (size() - base) % alignment;
    if (misalign != 0) zeros(alignment - misalign);
  }
  void patch16(size_t offset, uint16_t v) {
    out_[base_ + offset] = static_cast<uint8_t>(v);
    out_[base_ + offset + 1] = static_cast<uint8_t>(v >> 8);
  }

private:
  void write(uint64_t v, size_t count) {
    for (size_t i = 0; i < count; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }

  std::vector<uint8_t>& out_;
  size_t base_;
  size_t gap_ = 0;
};

}  // namespace rpc::detail

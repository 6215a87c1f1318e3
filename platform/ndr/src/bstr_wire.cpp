// BSTR on the wire: a unique pointer to a FLAGGED_WORD_BLOB,
//   max_count (= clSize) · cBytes · clSize · clSize UTF-16 words,
// with no terminator. cBytes may be odd (a BSTR made from bytes); the last
// word then carries one byte of padding. A NULL BSTR is sent as a blob of
// 0xFFFFFFFF bytes and no words, so the pointer itself is never NULL; a NULL
// pointer received is read as a NULL BSTR too.

#include "ndr/ole.h"

namespace ndr {
namespace {

constexpr std::uint32_t kNullBstrBytes = 0xFFFFFFFF;

void walkBlob(Encoder& w, BSTR& value) {
  std::uint32_t bytes = value ? SysStringByteLen(value) : kNullBstrBytes;
  std::uint32_t words = value ? (bytes + 1) / 2 : 0;
  std::uint32_t count = words;
  w.maxCount(count);
  w.u32(bytes);
  w.u32(words);
  if (!value) return;
  w.bytes(reinterpret_cast<const std::uint8_t*>(value), bytes);
  if (bytes % 2 != 0) w.put(std::uint8_t{0});
}

void walkBlob(Decoder& w, BSTR& value) {
  std::uint32_t count = 0, bytes = 0, words = 0;
  w.maxCount(count);
  w.u32(bytes);
  w.u32(words);
  if (!w.ok()) return;
  if (words != count) {
    w.fail(Status::invalid);
    return;
  }
  if (bytes == kNullBstrBytes) {
    w.skip(std::size_t{words} * 2);
    return;
  }
  if (bytes > std::uint64_t{words} * 2) {
    w.fail(Status::invalid);
    return;
  }
  std::span<const std::uint8_t> data = w.take(std::size_t{words} * 2);
  if (!w.ok()) return;
  value = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(data.data()), bytes);
  if (!value) w.fail(Status::unsupported);
}

template <class W>
void walkBstr(W& w, BSTR& value) {
  if constexpr (W::kDecoding) {
    SysFreeString(value);
    value = nullptr;
  }
  bool present = true;
  w.referent(present, false);
  if (!present || !w.ok()) return;
  BSTR* target = &value;
  w.defer([&w, target] { walkBlob(w, *target); });
}

}  // namespace

void bstr(Encoder& w, BSTR& value) { walkBstr(w, value); }
void bstr(Decoder& w, BSTR& value) { walkBstr(w, value); }

}  // namespace ndr

// BSTR: a UTF-16 string whose byte length is stored in the 32 bits just before
// the first character, terminated by a zero character that the length does not
// count. The block comes from malloc so that leak checkers see a string that
// nobody freed.

#include <cstdlib>
#include <cstring>
#include <limits>

#include "com/oleauto.h"

namespace {

constexpr std::size_t kPrefixBytes = sizeof(std::uint32_t);
constexpr std::size_t kTerminatorBytes = sizeof(OLECHAR);
// The byte count must fit the 32-bit prefix together with the block overhead.
constexpr std::size_t kMaxBytes =
    std::numeric_limits<std::uint32_t>::max() - kPrefixBytes - kTerminatorBytes - 1;

std::uint32_t* prefixOf(BSTR text) {
  return reinterpret_cast<std::uint32_t*>(reinterpret_cast<BYTE*>(text) - kPrefixBytes);
}

// Allocates a string of the given byte length, copies `bytes` into it when
// given (zero-fills otherwise) and terminates it. An odd byte length gets a
// full zero character after its last byte, so the text always ends in one.
BSTR allocateBytes(const void* bytes, std::size_t length) {
  if (length > kMaxBytes) return nullptr;
  // One spare byte keeps the terminator a whole character for odd lengths.
  auto* block = static_cast<BYTE*>(std::malloc(kPrefixBytes + length + kTerminatorBytes + 1));
  if (block == nullptr) return nullptr;
  const std::uint32_t prefix = static_cast<std::uint32_t>(length);
  std::memcpy(block, &prefix, sizeof prefix);
  BYTE* text = block + kPrefixBytes;
  if (bytes != nullptr) {
    std::memcpy(text, bytes, length);
  } else {
    std::memset(text, 0, length);
  }
  std::memset(text + length, 0, kTerminatorBytes + 1);
  return reinterpret_cast<BSTR>(text);
}

std::size_t lengthOf(const OLECHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

}  // namespace

extern "C" {

BSTR SysAllocString(const OLECHAR* text) {
  if (text == nullptr) return nullptr;
  return allocateBytes(text, lengthOf(text) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  return allocateBytes(text, std::size_t{length} * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
  return allocateBytes(bytes, length);
}

INT SysReAllocString(BSTR* target, const OLECHAR* text) {
  if (target == nullptr) return FALSE;
  // The new text may point into the old string, so it is copied before the
  // old string is freed.
  BSTR copy = SysAllocString(text);
  if (copy == nullptr && text != nullptr) return FALSE;
  SysFreeString(*target);
  *target = copy;
  return TRUE;
}

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length) {
  if (target == nullptr) return FALSE;
  BSTR copy = SysAllocStringLen(text, length);
  if (copy == nullptr) return FALSE;
  SysFreeString(*target);
  *target = copy;
  return TRUE;
}

void SysFreeString(BSTR text) {
  if (text != nullptr) std::free(prefixOf(text));
}

UINT SysStringLen(BSTR text) {
  return text == nullptr ? 0 : *prefixOf(text) / sizeof(OLECHAR);
}

UINT SysStringByteLen(BSTR text) {
  return text == nullptr ? 0 : *prefixOf(text);
}

}  // extern "C"

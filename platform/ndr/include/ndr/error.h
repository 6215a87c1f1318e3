#pragma once

// The outcome of a failed NDR walk, and the fault status it becomes on the
// wire.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ndr {

enum class Status : std::uint8_t {
  truncated = 1,  // the input ended inside an item
  invalid,        // a value the type does not allow (a count, a tag, a NULL [ref])
  tooDeep,        // pointees nested beyond the limit
  unsupported,    // a valid value this side cannot represent
};

struct Error {
  Status status;
  std::size_t offset;  // position in the stream where the fault was found
};

// RPC_X_BAD_STUB_DATA: what a server answers for a request it cannot decode.
inline constexpr std::uint32_t kFaultBadStubData = 0x000006F7;

inline std::uint32_t faultStatus(const Error&) { return kFaultBadStubData; }

std::string_view describe(Status status);

}  // namespace ndr

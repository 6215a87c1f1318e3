#pragma once

// The one translation of the option levels, options and message flags that
// callers pass (the component's published numbers) into Linux's numbers and
// value formats. The README lists the table (section "Gantrel").

#include <sys/socket.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace gantrel {

// How an option's value is laid out on each side.
enum class ValueFormat : uint8_t {
  Integer,       // a 32-bit integer on both sides
  Bytes,         // the same bytes on both sides, passed through
  Linger,        // two 16-bit fields (on, seconds) <-> struct linger
  Milliseconds,  // 32-bit milliseconds <-> struct timeval
  ErrorCode,     // read only: the pending error, as the component's result code
  Ignored,       // no Linux counterpart: setting it succeeds and changes nothing, reading fails
};

struct OptionMapping {
  int32_t level;  // the component's numbers
  int32_t option;
  int linuxLevel;
  int linuxOption;
  ValueFormat format;
};

struct MessageFlagMapping {
  int32_t flag;  // the component's bit
  int linuxFlag;
};

std::span<const OptionMapping> optionTable();

// Message flags sit on the send and receive paths, so their part of the table
// is visible here and translated inline.
inline constexpr MessageFlagMapping kMessageFlagTable[] = {
    {0x1, MSG_OOB},
    {0x2, MSG_PEEK},
    {0x4, MSG_DONTROUTE},
    {0x8, MSG_WAITALL},
};

// The levels whose options are all in the table. An option of such a level
// that the table lacks is refused, so that it never lands on an unrelated
// Linux option with the same number.
bool isTranslatedLevel(int32_t level);

// The mapping of an option: the table's entry for a translated level (none
// when the table lacks the option), or the numbers passed through unchanged
// as bytes for any other level.
std::optional<OptionMapping> findOption(int32_t level, int32_t option);

// The component's message flags as Linux flags; bits the table does not name
// pass through unchanged.
// The entries whose Linux bit differs from the component's: only these need
// work on the send and receive paths.
constexpr size_t countDifferingMessageFlags() {
  size_t count = 0;
  for (const MessageFlagMapping& mapping : kMessageFlagTable) count += mapping.flag != mapping.linuxFlag ? 1 : 0;
  return count;
}

struct DifferingMessageFlags {
  MessageFlagMapping entries[countDifferingMessageFlags()];
  int32_t bits;
};

constexpr DifferingMessageFlags differingMessageFlags() {
  DifferingMessageFlags differing{};
  size_t next = 0;
  for (const MessageFlagMapping& mapping : kMessageFlagTable) {
    if (mapping.flag == mapping.linuxFlag) continue;
    differing.entries[next++] = mapping;
    differing.bits |= mapping.flag;
  }
  return differing;
}

constexpr int translateMessageFlags(int32_t flags) {
  constexpr DifferingMessageFlags kDiffering = differingMessageFlags();
  // Bits that mean the same on both sides stay as they are.
  int translated = static_cast<int>(flags & ~kDiffering.bits);
  for (const MessageFlagMapping& mapping : kDiffering.entries) {
    if ((flags & mapping.flag) != 0) translated |= mapping.linuxFlag;
  }
  return translated;
}

}  // namespace gantrel

// Setting and reading socket options through the translation table: the
// caller's numbers and value formats on one side, Linux's on the other.

#include "error_table.h"
#include "option_table.h"
#include "socket_api.h"
#include "system_calls.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/time.h>

using gantrel::descriptor;
using gantrel::OptionMapping;
using gantrel::resultFromErrno;
using gantrel::systemCalls;
using gantrel::ValueFormat;

namespace {

constexpr int32_t kSlotSize = 4;  // integers, milliseconds and linger values

uint32_t setLinux(int fd, const OptionMapping& mapping, const void* value, socklen_t length) {
  if (systemCalls().setsockopt(fd, mapping.linuxLevel, mapping.linuxOption, value, length) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

uint32_t getLinux(int fd, const OptionMapping& mapping, void* value, socklen_t* length) {
  if (systemCalls().getsockopt(fd, mapping.linuxLevel, mapping.linuxOption, value, length) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

// Options without a Linux counterpart change nothing, but still only on a
// socket that exists.
uint32_t checkIsSocket(int fd) {
  int type = 0;
  socklen_t length = sizeof type;
  if (systemCalls().getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) == 0) return RESULT_OK;
  return resultFromErrno(errno);
}

uint32_t readSlot(const void* value) {
  uint32_t slot;
  std::memcpy(&slot, value, sizeof slot);
  return slot;
}

void writeSlot(void* value, int32_t* length, uint32_t slot) {
  std::memcpy(value, &slot, sizeof slot);
  *length = kSlotSize;
}

}  // namespace

extern "C" {

uint32_t SysSockSetOption(SocketHandle socket, int32_t level, int32_t option, const void* value, int32_t length) {
  if (socket == INVALID_SOCKET_HANDLE || value == nullptr) return RESULT_BAD_PARAMETER;
  std::optional<OptionMapping> mapping = gantrel::findOption(level, option);
  if (!mapping) return RESULT_FAILED;
  int fd = descriptor(socket);
  if (mapping->format == ValueFormat::Bytes) {
    if (length < 0) return RESULT_FAILED;
    return setLinux(fd, *mapping, value, static_cast<socklen_t>(length));
  }
  if (mapping->format == ValueFormat::Ignored) return checkIsSocket(fd);
  // Every other format is one 32-bit slot; a shorter value is refused as
  // the original platform refuses it.
  if (length < kSlotSize || mapping->format == ValueFormat::ErrorCode) return RESULT_FAILED;
  uint32_t slot = readSlot(value);
  switch (mapping->format) {
    case ValueFormat::Linger: {
      SocketLinger given;
      std::memcpy(&given, &slot, sizeof given);
      linger translated{given.onOff, given.seconds};
      return setLinux(fd, *mapping, &translated, sizeof translated);
    }
    case ValueFormat::Milliseconds: {
      timeval translated{static_cast<time_t>(slot / 1000), static_cast<suseconds_t>(slot % 1000) * 1000};
      return setLinux(fd, *mapping, &translated, sizeof translated);
    }
    default: {
      int translated = static_cast<int>(slot);
      return setLinux(fd, *mapping, &translated, sizeof translated);
    }
  }
}

uint32_t SysSockGetOption(SocketHandle socket, int32_t level, int32_t option, void* value, int32_t* length) {
  if (socket == INVALID_SOCKET_HANDLE || value == nullptr || length == nullptr) return RESULT_BAD_PARAMETER;
  std::optional<OptionMapping> mapping = gantrel::findOption(level, option);
  if (!mapping || mapping->format == ValueFormat::Ignored) return RESULT_FAILED;
  int fd = descriptor(socket);
  if (mapping->format == ValueFormat::Bytes) {
    if (*length < 0) return RESULT_FAILED;
    socklen_t linuxLength = static_cast<socklen_t>(*length);
    uint32_t result = getLinux(fd, *mapping, value, &linuxLength);
    if (result == RESULT_OK) *length = static_cast<int32_t>(linuxLength);
    return result;
  }
  if (*length < kSlotSize) return RESULT_FAILED;
  switch (mapping->format) {
    case ValueFormat::Linger: {
      linger translated{};
      socklen_t linuxLength = sizeof translated;
      uint32_t result = getLinux(fd, *mapping, &translated, &linuxLength);
      if (result != RESULT_OK) return result;
      SocketLinger given{static_cast<uint16_t>(translated.l_onoff != 0),
                         static_cast<uint16_t>(std::clamp(translated.l_linger, 0, 0xFFFF))};
      uint32_t slot;
      std::memcpy(&slot, &given, sizeof slot);
      writeSlot(value, length, slot);
      return RESULT_OK;
    }
    case ValueFormat::Milliseconds: {
      timeval translated{};
      socklen_t linuxLength = sizeof translated;
      uint32_t result = getLinux(fd, *mapping, &translated, &linuxLength);
      if (result != RESULT_OK) return result;
      uint64_t milliseconds = static_cast<uint64_t>(translated.tv_sec) * 1000u +
                              static_cast<uint64_t>(translated.tv_usec) / 1000u;
      writeSlot(value, length, static_cast<uint32_t>(std::min<uint64_t>(milliseconds, UINT32_MAX)));
      return RESULT_OK;
    }
    case ValueFormat::ErrorCode: {
      int error = 0;
      socklen_t linuxLength = sizeof error;
      uint32_t result = getLinux(fd, *mapping, &error, &linuxLength);
      if (result != RESULT_OK) return result;
      writeSlot(value, length, resultFromErrno(error));
      return RESULT_OK;
    }
    default: {
      int translated = 0;
      socklen_t linuxLength = sizeof translated;
      uint32_t result = getLinux(fd, *mapping, &translated, &linuxLength);
      if (result != RESULT_OK) return result;
      writeSlot(value, length, static_cast<uint32_t>(translated));
      return RESULT_OK;
    }
  }
}

}  // extern "C"

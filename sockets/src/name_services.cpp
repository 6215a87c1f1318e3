// Host names, address texts and byte order.

#include "error_table.h"
#include "socket_api.h"
#include "system_calls.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <netdb.h>

using gantrel::systemCalls;

namespace {

// What a lookup hands out lives here, one block per thread, until the
// thread's next lookup. It needs no destructor, so neither a thread's exit
// nor the library's unload has anything to clean up.
struct alignas(std::max_align_t) LookupStorage {
  char buffer[8192];
};
thread_local LookupStorage lookupStorage;

uint32_t addressAsNumber(const char* address) {
  uint32_t value;
  std::memcpy(&value, address, sizeof value);
  return ntohl(value);
}

// Ascending order of the addresses read as host-order numbers.
void sortAddresses(char** addresses) {
  char** end = addresses;
  while (*end != nullptr) ++end;
  std::sort(addresses, end,
            [](const char* left, const char* right) { return addressAsNumber(left) < addressAsNumber(right); });
}

}  // namespace

extern "C" {

uint32_t SysSockGetHostName(char* buffer, uint32_t size) {
  if (buffer == nullptr || size < 1) return RESULT_BAD_PARAMETER;
  if (systemCalls().gethostname(buffer, size) == 0) return RESULT_OK;
  return gantrel::resultFromErrno(errno);
}

uint32_t SysSockGetHostByName(const char* name, HostInfo* info) {
  if (name == nullptr || info == nullptr) return RESULT_BAD_PARAMETER;
  hostent entry{};
  hostent* found = nullptr;
  int hostError = 0;
  LookupStorage& storage = lookupStorage;
  int failed = systemCalls().gethostbyname_r(name, &entry, storage.buffer, sizeof storage.buffer, &found, &hostError);
  if (failed != 0 || found == nullptr) {
    *info = HostInfo{};
    return RESULT_FAILED;
  }
  if (found->h_length == 4 && found->h_addr_list != nullptr) sortAddresses(found->h_addr_list);
  info->name = found->h_name;
  info->aliases = found->h_aliases;
  info->addressType = static_cast<int16_t>(found->h_addrtype);
  info->addressLength = static_cast<int16_t>(found->h_length);
  info->addresses = found->h_addr_list;
  return RESULT_OK;
}

uint32_t SysSockInetAddr(const char* text, uint32_t* address) {
  if (text == nullptr || address == nullptr) return RESULT_BAD_PARAMETER;
  // The one text whose value is also the failure value.
  if (std::strcmp(text, "255.255.255.255") == 0) {
    *address = 0xFFFFFFFFu;
    return RESULT_OK;
  }
  in_addr parsed{};
  if (text[0] != '\0' && inet_aton(text, &parsed) != 0 && parsed.s_addr != 0xFFFFFFFFu) {
    *address = parsed.s_addr;
    return RESULT_OK;
  }
  *address = 0xFFFFFFFFu;
  return RESULT_FAILED;
}

uint32_t SysSockInetNtoa(const uint32_t* address, char* buffer, uint32_t size) {
  if (address == nullptr || buffer == nullptr || size < 1) return RESULT_BAD_PARAMETER;
  in_addr value{*address};
  char text[INET_ADDRSTRLEN];
  if (inet_ntop(AF_INET, &value, text, sizeof text) == nullptr) return RESULT_FAILED;
  std::memcpy(buffer, text, std::min<size_t>(std::strlen(text) + 1, size));
  buffer[size - 1] = '\0';
  return RESULT_OK;
}

uint16_t SysSockHtons(uint16_t value) { return htons(value); }
uint16_t SysSockNtohs(uint16_t value) { return ntohs(value); }
uint32_t SysSockHtonl(uint32_t value) { return htonl(value); }
uint32_t SysSockNtohl(uint32_t value) { return ntohl(value); }

}  // extern "C"

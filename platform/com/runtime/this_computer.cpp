// Whether a machine name names this computer. The answer comes from
// comparing text only: the name is never resolved, so naming a machine never
// causes DNS traffic and a wrong name fails fast on the remote path instead.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <string_view>

#include "com/remote_activator.h"
#include "registry_access.h"
#include "win/computer.h"

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

// A loopback address written as an address: 127.x.x.x in dotted-decimal
// form, ::1, or 127.x.x.x mapped into IPv6; IPv6 may be in brackets.
bool isLoopbackAddress(std::string_view text) {
  const std::string address(text);
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) {
    return (ntohl(v4.s_addr) >> 24) == 127;
  }
  std::string v6text = address;
  if (v6text.size() > 2 && v6text.front() == '[' && v6text.back() == ']') {
    v6text = v6text.substr(1, v6text.size() - 2);
  }
  in6_addr v6{};
  if (inet_pton(AF_INET6, v6text.c_str(), &v6) != 1) return false;
  if (IN6_IS_ADDR_LOOPBACK(&v6)) return true;
  return IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127;
}

bool isHostName(std::string_view name) {
  char host[HOST_NAME_MAX + 1] = {};
  if (gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return false;
  const std::string_view full(host);
  if (equalsIgnoringCase(name, full)) return true;
  const std::string_view firstLabel = full.substr(0, full.find('.'));
  return equalsIgnoringCase(name, firstLabel);
}

bool isComputerName(std::string_view name) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  return GetComputerNameA(computer, &size) && equalsIgnoringCase(name, computer);
}

}  // namespace

namespace com {

bool isThisComputer(LPCWSTR name) {
  std::string text;
  if (name == nullptr || !detail::toUtf8(name, text)) return true;
  std::string_view machine = text;
  if (machine.starts_with("\\\\")) machine.remove_prefix(2);
  return machine.empty() || equalsIgnoringCase(machine, "localhost") || isLoopbackAddress(machine) ||
         isHostName(machine) || isComputerName(machine);
}

}  // namespace com

#include "option_table.h"

#include <sockets/syssock.h>

#include <netinet/in.h>
#include <netinet/tcp.h>

namespace gantrel {

namespace {

using enum ValueFormat;

const OptionMapping kOptionTable[] = {
    // Socket level.
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_DEBUG, SOL_SOCKET, SO_DEBUG, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ACCEPTCONN, SOL_SOCKET, SO_ACCEPTCONN, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_REUSEADDR, SOL_SOCKET, SO_REUSEADDR, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_KEEPALIVE, SOL_SOCKET, SO_KEEPALIVE, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_DONTROUTE, SOL_SOCKET, SO_DONTROUTE, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_BROADCAST, SOL_SOCKET, SO_BROADCAST, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_USELOOPBACK, SOL_SOCKET, 0, Ignored},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_LINGER, SOL_SOCKET, SO_LINGER, Linger},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_OOBINLINE, SOL_SOCKET, SO_OOBINLINE, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_SNDBUF, SOL_SOCKET, SO_SNDBUF, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVBUF, SOL_SOCKET, SO_RCVBUF, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_SNDLOWAT, SOL_SOCKET, SO_SNDLOWAT, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVLOWAT, SOL_SOCKET, SO_RCVLOWAT, Integer},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_SNDTIMEO, SOL_SOCKET, SO_SNDTIMEO, Milliseconds},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_RCVTIMEO, SOL_SOCKET, SO_RCVTIMEO, Milliseconds},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_ERROR, SOL_SOCKET, SO_ERROR, ErrorCode},
    {SYSSOCK_SOL_SOCKET, SYSSOCK_SO_TYPE, SOL_SOCKET, SO_TYPE, Integer},
    // IP level.
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_OPTIONS, IPPROTO_IP, IP_OPTIONS, Bytes},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_HDRINCL, IPPROTO_IP, IP_HDRINCL, Integer},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_TOS, IPPROTO_IP, IP_TOS, Integer},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_TTL, IPPROTO_IP, IP_TTL, Integer},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_IF, IPPROTO_IP, IP_MULTICAST_IF, Bytes},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_TTL, IPPROTO_IP, IP_MULTICAST_TTL, Integer},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_MULTICAST_LOOP, IPPROTO_IP, IP_MULTICAST_LOOP, Integer},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_ADD_MEMBERSHIP, IPPROTO_IP, IP_ADD_MEMBERSHIP, Bytes},
    {SYSSOCK_IPPROTO_IP, SYSSOCK_IP_DROP_MEMBERSHIP, IPPROTO_IP, IP_DROP_MEMBERSHIP, Bytes},
    // TCP level.
    {SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_NODELAY, IPPROTO_TCP, TCP_NODELAY, Integer},
    {SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPALIVE, IPPROTO_TCP, TCP_KEEPIDLE, Integer},
    {SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_MAXSEG, IPPROTO_TCP, TCP_MAXSEG, Integer},
    {SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPCNT, IPPROTO_TCP, TCP_KEEPCNT, Integer},
    {SYSSOCK_IPPROTO_TCP, SYSSOCK_TCP_KEEPINTVL, IPPROTO_TCP, TCP_KEEPINTVL, Integer},
    // The ICMP, UDP and IPv6 levels are translated too, with no options:
    // their option numbers mean different things on Linux, and Linux reads
    // level 1 (ICMP here) as its socket level.
};

}  // namespace

std::span<const OptionMapping> optionTable() { return kOptionTable; }

bool isTranslatedLevel(int32_t level) {
  switch (level) {
    case SYSSOCK_SOL_SOCKET:
    case SYSSOCK_IPPROTO_IP:
    case SYSSOCK_IPPROTO_ICMP:
    case SYSSOCK_IPPROTO_TCP:
    case SYSSOCK_IPPROTO_UDP:
    case SYSSOCK_IPPROTO_IPV6:
      return true;
    default:
      return false;
  }
}

std::optional<OptionMapping> findOption(int32_t level, int32_t option) {
  if (!isTranslatedLevel(level)) return OptionMapping{level, option, level, option, ValueFormat::Bytes};
  for (const OptionMapping& mapping : kOptionTable) {
    if (mapping.level == level && mapping.option == option) return mapping;
  }
  return std::nullopt;
}

}  // namespace gantrel

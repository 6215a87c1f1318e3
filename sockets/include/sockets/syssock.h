#pragma once

// Gantrel, the socket service component, as other components and the control
// program see it: result codes, the records its functions exchange and the
// numbers callers pass for families, types, levels, options and flags.
//
// Socket handles are 32 bits wide on every build. Records hold pointers at
// their natural width, so a 32-bit build reproduces the byte layouts that
// callers on a 32-bit runtime use (pinned at the end of this header).

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SYSSOCK_COMPONENT_ID 0x111u
#define SYSSOCK_COMPONENT_VERSION 0x03040300u

// --- result codes ------------------------------------------------------------
#define RESULT_OK 0u
#define RESULT_FAILED 1u
#define RESULT_BAD_PARAMETER 2u
#define RESULT_TIMEOUT 5u
#define RESULT_NOT_IMPLEMENTED 12u
#define RESULT_NOT_FOUND 16u
#define RESULT_SOCK_NOT_INITIALISED 513u
#define RESULT_SOCK_NOT_A_SOCKET 514u
#define RESULT_SOCK_FAMILY_UNSUPPORTED 515u
#define RESULT_SOCK_PROTOCOL_UNSUPPORTED 516u
#define RESULT_SOCK_NO_BUFFERS 517u
#define RESULT_SOCK_WOULD_BLOCK 518u
#define RESULT_SOCK_ADDRESS_IN_USE 519u
#define RESULT_SOCK_ADDRESS_UNAVAILABLE 520u
#define RESULT_SOCK_CONNECTION_REFUSED 521u
#define RESULT_SOCK_TIMED_OUT 522u
#define RESULT_SOCK_HOST_NOT_FOUND 523u
#define RESULT_SOCK_HOST_UNREACHABLE 524u
#define RESULT_SOCK_ALREADY_CONNECTED 525u
#define RESULT_SOCK_NOT_CONNECTED 526u
#define RESULT_SOCK_SHUT_DOWN 527u
#define RESULT_SOCK_MESSAGE_TOO_LONG 528u
#define RESULT_SOCK_CONNECTION_CLOSED 529u

// --- handles and records -------------------------------------------------------
typedef uint32_t SocketHandle;
#define INVALID_SOCKET_HANDLE 0xFFFFFFFFu

#define SOCKET_SET_CAPACITY 64

// An IPv4 socket address: port and address in network byte order.
typedef struct SocketAddress {
  uint16_t family;  // SYSSOCK_AF_INET
  uint16_t port;
  uint32_t address;
  uint8_t zero[8];
} SocketAddress;

typedef struct SocketSet {
  uint32_t count;  // 0..64
  SocketHandle handles[SOCKET_SET_CAPACITY];
} SocketSet;

typedef struct SocketTimeout {
  int32_t seconds;
  int32_t microseconds;
} SocketTimeout;

// A resolved host. The pointers refer to storage of the calling thread, valid
// until that thread's next lookup.
typedef struct HostInfo {
  char* name;
  char** aliases;
  int16_t addressType;
  int16_t addressLength;
  char** addresses;  // null-terminated list of pointers to 4-byte addresses
} HostInfo;

#define UDP_PEER_TEXT_SIZE 32

// The sender of a datagram, filled by SysSockRecvFromUdp.
typedef struct UdpPeerInfo {
  uint32_t address;  // network byte order
  char text[UDP_PEER_TEXT_SIZE];
  uint32_t count;    // bytes received
  uint16_t port;     // host byte order
} UdpPeerInfo;

// The peer record of callers that have no port field (syssockrecvfromudp).
typedef struct UdpShortPeerInfo {
  uint32_t address;
  char text[UDP_PEER_TEXT_SIZE];
  uint32_t count;
} UdpShortPeerInfo;

// --- the numbers callers pass --------------------------------------------------
// Families, types, protocols and shutdown directions equal Linux's.
#define SYSSOCK_AF_INET 2
#define SYSSOCK_SOCK_STREAM 1
#define SYSSOCK_SOCK_DGRAM 2
#define SYSSOCK_SOCK_RAW 3
#define SYSSOCK_IPPROTO_IP 0
#define SYSSOCK_IPPROTO_ICMP 1
#define SYSSOCK_IPPROTO_TCP 6
#define SYSSOCK_IPPROTO_UDP 17
#define SYSSOCK_IPPROTO_IPV6 41
#define SYSSOCK_SD_RECEIVE 0
#define SYSSOCK_SD_SEND 1
#define SYSSOCK_SD_BOTH 2

// Option levels, options and message flags are translated to Linux's numbers
// (the table is in the README, section "Gantrel").
#define SYSSOCK_SOL_SOCKET 0xFFFF
#define SYSSOCK_SO_DEBUG 0x0001
#define SYSSOCK_SO_ACCEPTCONN 0x0002
#define SYSSOCK_SO_REUSEADDR 0x0004
#define SYSSOCK_SO_KEEPALIVE 0x0008
#define SYSSOCK_SO_DONTROUTE 0x0010
#define SYSSOCK_SO_BROADCAST 0x0020
#define SYSSOCK_SO_USELOOPBACK 0x0040
#define SYSSOCK_SO_LINGER 0x0080
#define SYSSOCK_SO_OOBINLINE 0x0100
#define SYSSOCK_SO_SNDBUF 0x1001
#define SYSSOCK_SO_RCVBUF 0x1002
#define SYSSOCK_SO_SNDLOWAT 0x1003
#define SYSSOCK_SO_RCVLOWAT 0x1004
#define SYSSOCK_SO_SNDTIMEO 0x1005
#define SYSSOCK_SO_RCVTIMEO 0x1006
#define SYSSOCK_SO_ERROR 0x1007
#define SYSSOCK_SO_TYPE 0x1008

#define SYSSOCK_IP_OPTIONS 1
#define SYSSOCK_IP_HDRINCL 2
#define SYSSOCK_IP_TOS 3
#define SYSSOCK_IP_TTL 4
#define SYSSOCK_IP_MULTICAST_IF 9
#define SYSSOCK_IP_MULTICAST_TTL 10
#define SYSSOCK_IP_MULTICAST_LOOP 11
#define SYSSOCK_IP_ADD_MEMBERSHIP 12
#define SYSSOCK_IP_DROP_MEMBERSHIP 13

#define SYSSOCK_TCP_NODELAY 1
#define SYSSOCK_TCP_KEEPALIVE 3  // idle seconds before the first probe
#define SYSSOCK_TCP_MAXSEG 4
#define SYSSOCK_TCP_KEEPCNT 16
#define SYSSOCK_TCP_KEEPINTVL 17

// The value of SYSSOCK_SO_LINGER: two 16-bit fields.
typedef struct SocketLinger {
  uint16_t onOff;
  uint16_t seconds;
} SocketLinger;

#define SYSSOCK_MSG_OOB 0x1
#define SYSSOCK_MSG_PEEK 0x2
#define SYSSOCK_MSG_DONTROUTE 0x4
#define SYSSOCK_MSG_WAITALL 0x8

// Commands of SysSockIoctl.
#define SYSSOCK_IOCTL_BYTES_READABLE 1
#define SYSSOCK_IOCTL_NONBLOCKING 2

#ifdef __cplusplus
}  // extern "C"
#endif

#if defined(__cplusplus)
#include <cstddef>
static_assert(sizeof(SocketAddress) == 16);
static_assert(sizeof(SocketSet) == 260);
static_assert(sizeof(SocketTimeout) == 8);
static_assert(sizeof(SocketLinger) == 4);
static_assert(offsetof(UdpPeerInfo, text) == 4);
static_assert(offsetof(UdpPeerInfo, count) == 36);
static_assert(offsetof(UdpPeerInfo, port) == 40);
static_assert(sizeof(UdpShortPeerInfo) == 40);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostInfo) == 16);
static_assert(offsetof(HostInfo, addressType) == 8);
static_assert(offsetof(HostInfo, addressLength) == 10);
static_assert(offsetof(HostInfo, addresses) == 12);
#endif
#endif

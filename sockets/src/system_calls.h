#pragma once

// Every operating-system call the socket service makes goes through one table
// of function pointers, so that tests can make a call fail the way the
// platform would (EINTR, EAGAIN, ECONNRESET, no ICMP, an unknown host) and see
// how the service answers. The entries have the C library's signatures and
// report failures through errno; the real table forwards to the C library.

#include <ifaddrs.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <time.h>

#include <atomic>
#include <cstdint>

namespace gantrel {

struct SystemCalls {
  // The calls of the hot paths come first, so that they share a cache line
  // with the pointer to the table in use (see SystemCallState).
  ssize_t (*recv)(int fd, void* buffer, size_t size, int flags);
  ssize_t (*send)(int fd, const void* data, size_t size, int flags);
  ssize_t (*recvfrom)(int fd, void* buffer, size_t size, int flags, sockaddr* address, socklen_t* length);
  ssize_t (*sendto)(int fd, const void* data, size_t size, int flags, const sockaddr* address, socklen_t length);
  int (*poll)(pollfd* fds, nfds_t count, int timeoutMilliseconds);
  int (*ppoll)(pollfd* fds, nfds_t count, const timespec* timeout, const sigset_t* mask);
  int (*socket)(int family, int type, int protocol);
  int (*close)(int fd);
  int (*bind)(int fd, const sockaddr* address, socklen_t length);
  int (*connect)(int fd, const sockaddr* address, socklen_t length);
  int (*listen)(int fd, int backlog);
  int (*accept4)(int fd, sockaddr* address, socklen_t* length, int flags);
  int (*shutdown)(int fd, int how);
  int (*setsockopt)(int fd, int level, int option, const void* value, socklen_t length);
  int (*getsockopt)(int fd, int level, int option, void* value, socklen_t* length);
  // ioctl with an int argument (FIONREAD, FIONBIO).
  int (*ioctlInt)(int fd, unsigned long request, int* argument);
  // fcntl(F_GETFL); the status flags or -1.
  int (*getStatusFlags)(int fd);
  int (*gethostname)(char* buffer, size_t size);
  int (*gethostbyname_r)(const char* name, hostent* entry, char* buffer, size_t size, hostent** result,
                         int* hostError);
  int (*getifaddrs)(ifaddrs** list);
  void (*freeifaddrs)(ifaddrs* list);
  // Milliseconds of a clock that never jumps, and a sleep on it.
  uint64_t (*monotonicMilliseconds)();
  void (*sleepMilliseconds)(uint32_t milliseconds);
};

// The C library's calls.
const SystemCalls& realSystemCalls();

namespace detail {
// The pointer to the table in use and the real table side by side, so that
// a transfer reads one cache line of the service's data to find its call:
// right after a system call has pushed the caches' contents out, every
// further line (and, on a virtual machine, every further page) is a miss.
struct alignas(64) SystemCallState {
  std::atomic<const SystemCalls*> current;
  SystemCalls real;
};
extern SystemCallState systemCallState;
}  // namespace detail

// The table in use: one relaxed load, inlined into every hot path.
inline const SystemCalls& systemCalls() { return *detail::systemCallState.current.load(std::memory_order_relaxed); }

// Puts `calls` in use (null restores the real table) and returns the table
// used before. For tests: swap only while no other thread calls the service.
const SystemCalls* installSystemCalls(const SystemCalls* calls);

}  // namespace gantrel

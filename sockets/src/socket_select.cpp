// Readiness of sockets in the 64-entry set layout, waited for with poll so
// that any descriptor value works, and the set helpers.

#include "error_table.h"
#include "socket_api.h"
#include "system_calls.h"

#include <cerrno>
#include <climits>
#include <ctime>

using gantrel::resultFromErrno;
using gantrel::systemCalls;

namespace {

enum SetKind { kRead, kWrite, kError, kSetKinds };

// What each set waits for. Hang-ups and errors are reported by poll without
// being asked for.
constexpr short kWaitFor[kSetKinds] = {POLLIN, POLLOUT, POLLPRI};

bool contains(const SocketSet* set, SocketHandle socket) {
  if (set == nullptr) return false;
  for (uint32_t i = 0; i < set->count; ++i) {
    if (set->handles[i] == socket) return true;
  }
  return false;
}

// The poll entries of one set, in the set's order.
struct Watched {
  const pollfd* begin = nullptr;
  const pollfd* end = nullptr;

  bool contains(int fd) const {
    for (const pollfd* entry = begin; entry != end; ++entry) {
      if (entry->fd == fd) return true;
    }
    return false;
  }
};

// Whether an entry of a set is ready, given what poll returned for it.
// - Read: data, a pending connection, the peer's close or an error; the next
//   receive reports the last two.
// - Error: out-of-band data, or an error such as a connection attempt that failed.
// - Write: room to send. A socket with a pending error counts as writable
//   (the next send reports it) unless the caller also watches it in the error
//   set: a failed connection attempt then shows there alone, so that a caller
//   waiting for a connect to finish can tell success from failure.
bool isReady(SetKind kind, const pollfd& entry, const Watched& errorWatch) {
  switch (kind) {
    case kRead:
      return (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    case kError:
      return (entry.revents & (POLLPRI | POLLERR)) != 0;
    default:
      if ((entry.revents & POLLERR) != 0) return !errorWatch.contains(entry.fd);
      return (entry.revents & POLLOUT) != 0;
  }
}

timespec now() {
  timespec clock{};
  clock_gettime(CLOCK_MONOTONIC, &clock);
  return clock;
}

// deadline - current, never below zero.
timespec remaining(const timespec& deadline) {
  timespec current = now();
  timespec left{deadline.tv_sec - current.tv_sec, deadline.tv_nsec - current.tv_nsec};
  if (left.tv_nsec < 0) {
    left.tv_nsec += 1000000000L;
    --left.tv_sec;
  }
  if (left.tv_sec < 0) return timespec{0, 0};
  return left;
}

// Waits like ppoll, but a signal does not end the wait early.
int pollUntil(pollfd* entries, nfds_t count, const SocketTimeout* timeout) {
  const gantrel::SystemCalls& sys = systemCalls();
  if (timeout == nullptr) {
    int ready;
    do {
      ready = sys.ppoll(entries, count, nullptr, nullptr);
    } while (ready < 0 && errno == EINTR);
    return ready;
  }
  int64_t microseconds = static_cast<int64_t>(timeout->seconds) * 1000000 + timeout->microseconds;
  timespec wait{static_cast<time_t>(microseconds / 1000000), static_cast<long>(microseconds % 1000000) * 1000L};
  timespec deadline = now();
  deadline.tv_sec += wait.tv_sec;
  deadline.tv_nsec += wait.tv_nsec;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_nsec -= 1000000000L;
    ++deadline.tv_sec;
  }
  int ready = sys.ppoll(entries, count, &wait, nullptr);
  while (ready < 0 && errno == EINTR) {
    wait = remaining(deadline);
    ready = sys.ppoll(entries, count, &wait, nullptr);
  }
  return ready;
}

}  // namespace

extern "C" {

uint32_t SysSockSelect(int32_t, SocketSet* read, SocketSet* write, SocketSet* error, SocketTimeout* timeout,
                       int32_t* readyCount) {
  if (readyCount == nullptr) return RESULT_BAD_PARAMETER;
  SocketSet* sets[kSetKinds] = {read, write, error};
  for (const SocketSet* set : sets) {
    if (set != nullptr && set->count > SOCKET_SET_CAPACITY) return RESULT_BAD_PARAMETER;
  }
  if (timeout != nullptr && (timeout->seconds < 0 || timeout->microseconds < 0)) {
    *readyCount = -1;
    return RESULT_FAILED;  // what the original platform answers: an invalid argument
  }

  pollfd entries[kSetKinds * SOCKET_SET_CAPACITY];
  Watched watched[kSetKinds];
  nfds_t count = 0;
  for (int kind = 0; kind < kSetKinds; ++kind) {
    const SocketSet* set = sets[kind];
    watched[kind].begin = entries + count;
    if (set != nullptr) {
      for (uint32_t i = 0; i < set->count; ++i) {
        SocketHandle socket = set->handles[i];
        // poll skips negative descriptors silently; these name no socket.
        if (socket > static_cast<SocketHandle>(INT_MAX)) {
          *readyCount = -1;
          return RESULT_SOCK_NOT_A_SOCKET;
        }
        entries[count++] = pollfd{static_cast<int>(socket), kWaitFor[kind], 0};
      }
    }
    watched[kind].end = entries + count;
  }

  int ready = pollUntil(entries, count, timeout);
  if (ready < 0) {
    *readyCount = -1;
    return resultFromErrno(errno);
  }
  if (ready > 0) {
    for (nfds_t i = 0; i < count; ++i) {
      if ((entries[i].revents & POLLNVAL) != 0) {
        *readyCount = -1;
        return RESULT_SOCK_NOT_A_SOCKET;
      }
    }
  }

  // Each set keeps its ready entries, in their order. The handles come from
  // the poll entries, so a set passed in two roles ends up as its last role's
  // result, as if each set were copied back in turn.
  int32_t total = 0;
  for (int kind = 0; kind < kSetKinds; ++kind) {
    SocketSet* set = sets[kind];
    if (set == nullptr) continue;
    uint32_t kept = 0;
    for (const pollfd* entry = watched[kind].begin; entry != watched[kind].end; ++entry) {
      if (entry->revents != 0 && isReady(static_cast<SetKind>(kind), *entry, watched[kError])) {
        set->handles[kept++] = static_cast<SocketHandle>(entry->fd);
      }
    }
    set->count = kept;
    total += static_cast<int32_t>(kept);
  }
  *readyCount = total;
  return total == 0 ? RESULT_SOCK_TIMED_OUT : RESULT_OK;
}

void SysSockFdZero(SocketSet* set) {
  if (set != nullptr) set->count = 0;
}

void SysSockFdInit(SocketHandle socket, SocketSet* set) {
  if (set == nullptr || set->count >= SOCKET_SET_CAPACITY) return;
  set->handles[set->count++] = socket;
}

int32_t SysSockFdIsset(SocketHandle socket, SocketSet* set) {
  if (set == nullptr || set->count > SOCKET_SET_CAPACITY) return 0;
  return contains(set, socket) ? 1 : 0;
}

}  // extern "C"

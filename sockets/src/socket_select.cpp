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

// Which events make an entry of a set ready:
// - read: data, a pending connection, the peer's close or an error; the next
//   receive reports the last two;
// - write: room to send;
// - error: out-of-band data, or an error such as a connection attempt that failed.
constexpr short kReadyOn[kSetKinds] = {POLLIN | POLLHUP | POLLERR, POLLOUT, POLLPRI | POLLERR};

// A socket with a pending error counts as writable too (the next send
// reports it), unless the caller also watches it in the error set: a failed
// connection attempt then shows there alone, so that a caller waiting for a
// connect to finish can tell success from failure.
bool isWritable(const pollfd& entry, const Watched& errorWatch) {
  if ((entry.revents & POLLERR) != 0) return !errorWatch.contains(entry.fd);
  return (entry.revents & POLLOUT) != 0;
}

// Keeps the ready entries of one set, in their order, and returns how many.
// The handles come from the poll entries, so a set passed in two roles ends
// up as its last role's result, as if each set were copied back in turn.
uint32_t keepReady(SocketSet& set, SetKind kind, const Watched& watched, const Watched& errorWatch,
                   bool anyError) {
  uint32_t kept = 0;
  if (kind == kWrite && anyError) {
    for (const pollfd* entry = watched.begin; entry != watched.end; ++entry) {
      if (isWritable(*entry, errorWatch)) set.handles[kept++] = static_cast<SocketHandle>(entry->fd);
    }
  } else {
    const short mask = kReadyOn[kind];
    for (const pollfd* entry = watched.begin; entry != watched.end; ++entry) {
      if ((entry->revents & mask) != 0) set.handles[kept++] = static_cast<SocketHandle>(entry->fd);
    }
  }
  set.count = kept;
  return kept;
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

// Waits for the entries like poll, but a signal does not end the wait early.
// A look without waiting and a wait without limit take poll, the cheapest
// call; a limited wait takes ppoll, which keeps its microseconds.
int pollUntil(pollfd* entries, nfds_t count, const SocketTimeout* timeout) {
  const gantrel::SystemCalls& sys = systemCalls();
  int64_t microseconds = timeout == nullptr ? -1 : static_cast<int64_t>(timeout->seconds) * 1000000 + timeout->microseconds;
  int ready;
  if (microseconds <= 0) {
    do {
      ready = sys.poll(entries, count, microseconds == 0 ? 0 : -1);
    } while (ready < 0 && errno == EINTR);
    return ready;
  }
  timespec wait{static_cast<time_t>(microseconds / 1000000), static_cast<long>(microseconds % 1000000) * 1000L};
  timespec deadline = now();
  deadline.tv_sec += wait.tv_sec;
  deadline.tv_nsec += wait.tv_nsec;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_nsec -= 1000000000L;
    ++deadline.tv_sec;
  }
  ready = sys.ppoll(entries, count, &wait, nullptr);
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
  uint32_t allHandles = 0;
  for (int kind = 0; kind < kSetKinds; ++kind) {
    const SocketSet* set = sets[kind];
    watched[kind].begin = entries + count;
    if (set != nullptr) {
      for (uint32_t i = 0; i < set->count; ++i) {
        allHandles |= set->handles[i];
        entries[count++] = pollfd{static_cast<int>(set->handles[i]), kWaitFor[kind], 0};
      }
    }
    watched[kind].end = entries + count;
  }
  // Handles above INT_MAX would be negative descriptors, which poll skips
  // silently; they name no socket.
  if (allHandles > static_cast<uint32_t>(INT_MAX)) {
    *readyCount = -1;
    return RESULT_SOCK_NOT_A_SOCKET;
  }

  int ready = pollUntil(entries, count, timeout);
  if (ready < 0) {
    *readyCount = -1;
    return resultFromErrno(errno);
  }
  short seen = 0;
  for (nfds_t i = 0; i < count; ++i) seen = static_cast<short>(seen | entries[i].revents);
  if ((seen & POLLNVAL) != 0) {
    *readyCount = -1;
    return RESULT_SOCK_NOT_A_SOCKET;
  }

  int32_t total = 0;
  for (int kind = 0; kind < kSetKinds; ++kind) {
    if (sets[kind] == nullptr) continue;
    total += static_cast<int32_t>(
        keepReady(*sets[kind], static_cast<SetKind>(kind), watched[kind], watched[kError], (seen & POLLERR) != 0));
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
  for (uint32_t i = 0; i < set->count; ++i) {
    if (set->handles[i] == socket) return 1;
  }
  return 0;
}

}  // extern "C"

#include "system_calls.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>

namespace gantrel {

namespace {

int ioctlInt(int fd, unsigned long request, int* argument) { return ::ioctl(fd, request, argument); }

int getStatusFlags(int fd) { return ::fcntl(fd, F_GETFL); }

uint64_t monotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void sleepMilliseconds(uint32_t milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts the sleep short; sleep the rest.
  while (nanosleep(&remaining, &remaining) != 0) {
  }
}

}  // namespace

namespace detail {

SystemCallState systemCallState = {
    &systemCallState.real,
    {
        .recv = &::recv,
        .send = &::send,
        .recvfrom = &::recvfrom,
        .sendto = &::sendto,
        .poll = &::poll,
        .ppoll = &::ppoll,
        .socket = &::socket,
        .close = &::close,
        .bind = &::bind,
        .connect = &::connect,
        .listen = &::listen,
        .accept4 = &::accept4,
        .shutdown = &::shutdown,
        .setsockopt = &::setsockopt,
        .getsockopt = &::getsockopt,
        .ioctlInt = &ioctlInt,
        .getStatusFlags = &getStatusFlags,
        .gethostname = &::gethostname,
        .gethostbyname_r = &::gethostbyname_r,
        .getifaddrs = &::getifaddrs,
        .freeifaddrs = &::freeifaddrs,
        .monotonicMilliseconds = &monotonicMilliseconds,
        .sleepMilliseconds = &sleepMilliseconds,
    },
};
static_assert(offsetof(SystemCallState, real) + offsetof(SystemCalls, ppoll) < 64,
              "the calls of the hot paths share the first cache line with the pointer");

}  // namespace detail

const SystemCalls& realSystemCalls() { return detail::systemCallState.real; }

const SystemCalls* installSystemCalls(const SystemCalls* calls) {
  return detail::systemCallState.current.exchange(calls != nullptr ? calls : &detail::systemCallState.real);
}

}  // namespace gantrel

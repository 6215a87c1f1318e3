// Gantrel's transfer and readiness paths against the same work done with the
// raw Linux calls, over loopback:
//   - bulk TCP: 64 KiB sends with SysSockSend against send, and 64 KiB
//     receives (of data already waiting) with SysSockRecv against recv;
//   - round trips of 64-byte messages to an echo thread, sent and received
//     with SysSockSend/SysSockRecv against send/recv;
//   - readiness of 64 sockets: SysSockSelect against poll.
// Each iteration does the raw operation and the Gantrel one back to back on
// the same sockets and times each, so that the load of a shared machine hits
// both alike. The counter "raw/Gantrel" is the ratio of the median times of
// one operation: 1.00 means no overhead, 0.97 means Gantrel took 3% longer.
// The medians of the repetitions are printed at the end.

#include <host/runtime_host.h>
#include <sockets/syssock_api.h>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ratio_reporter.h"

namespace {

constexpr size_t kBulkChunk = 64 * 1024;
constexpr size_t kMessage = 64;
constexpr int kSelectSockets = 64;

[[noreturn]] void fail(const char* what) {
  std::perror(what);
  std::abort();
}

// The loaded component and its functions, bound once by name as a calling
// component binds them.
std::unique_ptr<host::RuntimeHost> runtimeHost;
SysSockSendFunction sysSockSend = nullptr;
SysSockRecvFunction sysSockRecv = nullptr;
SysSockSelectFunction sysSockSelect = nullptr;

void loadGantrel() {
  runtimeHost = std::make_unique<host::RuntimeHost>();
  if (runtimeHost->start(GANTREL_LIBRARY_PATH) == nullptr) {
    std::fprintf(stderr, "%s\n", runtimeHost->loadError().c_str());
    std::abort();
  }
  sysSockSend = runtimeHost->function<SysSockSendFunction>("SysSockSend");
  sysSockRecv = runtimeHost->function<SysSockRecvFunction>("SysSockRecv");
  sysSockSelect = runtimeHost->function<SysSockSelectFunction>("SysSockSelect");
}

// The two ways of moving bytes: a negative or zero count ends the transfer.
struct RawCalls {
  static long send(int fd, const void* data, size_t size) { return ::send(fd, data, size, MSG_NOSIGNAL); }
  static long receive(int fd, void* buffer, size_t size, bool exact) {
    return ::recv(fd, buffer, size, exact ? MSG_WAITALL : 0);
  }
};

struct GantrelCalls {
  static long send(int fd, const void* data, size_t size) {
    uint32_t result;
    uint32_t sent = sysSockSend(static_cast<SocketHandle>(fd), data, static_cast<uint32_t>(size), 0, &result);
    return result == RESULT_OK ? static_cast<long>(sent) : -1;
  }
  static long receive(int fd, void* buffer, size_t size, bool exact) {
    uint32_t result;
    uint32_t received = sysSockRecv(static_cast<SocketHandle>(fd), buffer, static_cast<uint32_t>(size),
                                       exact ? SYSSOCK_MSG_WAITALL : 0, &result);
    return result == RESULT_OK ? static_cast<long>(received) : -1;
  }
};

struct TcpPair {
  int client = -1;
  int server = -1;

  // `buffered`: bytes the connection must hold without the receiver reading.
  explicit TcpPair(size_t buffered = 0) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    client = socket(AF_INET, SOCK_STREAM, 0);
    if (buffered > 0) {
      // Set before the connection exists, so that its window is sized for it.
      const int size = static_cast<int>(2 * buffered);
      setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
      setsockopt(client, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      fail("listener");
    }
    if (connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) fail("connect");
    server = accept(listener, nullptr, nullptr);
    close(listener);
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  }
  ~TcpPair() {
    close(client);
    close(server);
  }
};

template <typename Calls>
void sendAll(int fd, const char* data, size_t size) {
  for (size_t sent = 0; sent < size;) {
    long n = Calls::send(fd, data + sent, size - sent);
    if (n <= 0) fail("send");
    sent += static_cast<size_t>(n);
  }
}

uint64_t nanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

// Times each side of a pair and reports the ratio of their median times,
// which a few operations stretched by the machine's other load do not move.
// The side that goes first alternates, since going first can help (data
// already waiting) or hurt (a buffer left full) an operation.
class PairTimer {
 public:
  template <typename Raw, typename Gantrel>
  void run(Raw&& raw, Gantrel&& gantrel) {
    if (rawFirst_) {
      raw_.push_back(timed(raw));
      gantrel_.push_back(timed(gantrel));
    } else {
      gantrel_.push_back(timed(gantrel));
      raw_.push_back(timed(raw));
    }
    rawFirst_ = !rawFirst_;
  }
  void report(benchmark::State& state) {
    double gantrel = median(gantrel_);
    state.counters["raw/Gantrel"] = gantrel > 0 ? median(raw_) / gantrel : 0;
  }

 private:
  template <typename Operation>
  static uint64_t timed(Operation& operation) {
    uint64_t start = nanoseconds();
    operation();
    return nanoseconds() - start;
  }
  static double median(std::vector<uint64_t>& times) {
    if (times.empty()) return 0;
    auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    return static_cast<double>(*middle);
  }
  std::vector<uint64_t> raw_;
  std::vector<uint64_t> gantrel_;
  bool rawFirst_ = true;
};

void BulkSend(benchmark::State& state) {
  TcpPair pair;
  std::thread drain([&] {
    std::vector<char> buffer(kBulkChunk);
    while (RawCalls::receive(pair.server, buffer.data(), buffer.size(), false) > 0) {
    }
  });
  std::vector<char> chunk(kBulkChunk, 'x');
  PairTimer timer;
  for (auto _ : state) {
    timer.run([&] { sendAll<RawCalls>(pair.client, chunk.data(), chunk.size()); },
              [&] { sendAll<GantrelCalls>(pair.client, chunk.data(), chunk.size()); });
  }
  shutdown(pair.client, SHUT_WR);
  drain.join();
  timer.report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * kBulkChunk));
}

template <typename Calls>
void receiveAll(int fd, char* buffer, size_t size) {
  for (size_t received = 0; received < size;) {
    long n = Calls::receive(fd, buffer + received, size - received, true);
    if (n <= 0) fail("receive");
    received += static_cast<size_t>(n);
  }
}

// Both receives of an iteration find all their data waiting, so that they
// time the receive path and not the scheduling of a sending thread.
void BulkReceive(benchmark::State& state) {
  TcpPair pair(2 * kBulkChunk);
  std::vector<char> chunk(2 * kBulkChunk, 'y');
  std::vector<char> buffer(kBulkChunk);
  PairTimer timer;
  for (auto _ : state) {
    if (::send(pair.client, chunk.data(), chunk.size(), MSG_DONTWAIT | MSG_NOSIGNAL) !=
        static_cast<long>(chunk.size())) {
      fail("the connection's buffers cannot hold two chunks");
    }
    timer.run([&] { receiveAll<RawCalls>(pair.server, buffer.data(), buffer.size()); },
              [&] { receiveAll<GantrelCalls>(pair.server, buffer.data(), buffer.size()); });
  }
  timer.report(state);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * 2 * kBulkChunk));
}

template <typename Calls>
void roundTrip(int fd) {
  char message[kMessage] = "ping";
  char reply[kMessage];
  sendAll<Calls>(fd, message, sizeof message);
  if (Calls::receive(fd, reply, sizeof reply, true) != static_cast<long>(kMessage)) fail("reply");
}

void RoundTrip(benchmark::State& state) {
  TcpPair pair;
  std::thread echo([&] {
    char buffer[kMessage];
    while (RawCalls::receive(pair.server, buffer, sizeof buffer, true) == static_cast<long>(kMessage)) {
      sendAll<RawCalls>(pair.server, buffer, sizeof buffer);
    }
  });
  PairTimer timer;
  for (auto _ : state) {
    timer.run([&] { roundTrip<RawCalls>(pair.client); }, [&] { roundTrip<GantrelCalls>(pair.client); });
  }
  shutdown(pair.client, SHUT_WR);
  echo.join();
  timer.report(state);
  state.SetItemsProcessed(state.iterations() * 2);
}

// 64 UDP sockets that each hold a datagram, so all are always readable.
struct ReadySockets {
  SocketSet set{};
  ReadySockets() {
    int sender = socket(AF_INET, SOCK_DGRAM, 0);
    for (int i = 0; i < kSelectSockets; ++i) {
      int fd = socket(AF_INET, SOCK_DGRAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      socklen_t length = sizeof address;
      bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
      if (sendto(sender, "x", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof address) != 1) fail("sendto");
      set.handles[set.count++] = static_cast<SocketHandle>(fd);
    }
    close(sender);
  }
  ~ReadySockets() {
    for (uint32_t i = 0; i < set.count; ++i) close(static_cast<int>(set.handles[i]));
  }
};

// The raw side does what a caller does with poll for the same answer: fill
// the entries from its handles, poll, and collect the ready handles.
void Select64(benchmark::State& state) {
  ReadySockets sockets;
  SocketTimeout none{0, 0};
  PairTimer timer;
  for (auto _ : state) {
    timer.run(
        [&] {
      pollfd entries[kSelectSockets];
      for (int i = 0; i < kSelectSockets; ++i) entries[i] = {static_cast<int>(sockets.set.handles[i]), POLLIN, 0};
      if (poll(entries, kSelectSockets, 0) != kSelectSockets) fail("poll");
      SocketSet ready{};
      for (const pollfd& entry : entries) {
        if ((entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0) ready.handles[ready.count++] = entry.fd;
      }
      benchmark::DoNotOptimize(ready);
        },
        [&] {
      SocketSet set = sockets.set;
      int32_t ready = 0;
      if (sysSockSelect(0, &set, nullptr, nullptr, &none, &ready) != RESULT_OK || ready != kSelectSockets) fail("select");
      benchmark::DoNotOptimize(set);
    });
  }
  timer.report(state);
  state.SetItemsProcessed(state.iterations() * 2);
}

constexpr int kRepetitions = 9;

BENCHMARK(BulkSend)->Repetitions(kRepetitions)->UseRealTime();
BENCHMARK(BulkReceive)->Repetitions(kRepetitions)->UseRealTime();
BENCHMARK(RoundTrip)->Repetitions(kRepetitions)->UseRealTime();
BENCHMARK(Select64)->Repetitions(kRepetitions)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  loadGantrel();
  // Without colour, so that the ratio lines can be read and filtered.
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real, benchmark::ConsoleReporter::OO_Tabular);
  const int result = bench::runBenchmarks(argc, argv, reporter, [&] {
    for (const char* name : {"BulkReceive", "BulkSend", "RoundTrip", "Select64"}) {
      if (const auto ratio = reporter.counter(name, "raw/Gantrel")) bench::printRatio(name, "raw/Gantrel", *ratio, 3);
    }
  });
  runtimeHost.reset();
  return result;
}

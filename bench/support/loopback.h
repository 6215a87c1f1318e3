#pragma once

// The raw TCP baseline of the network benchmarks: a loopback connection, the
// plain socket calls, and the ping-pong of fixed byte counts that a remote
// call is measured against.

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bench {

// Ends the program with the failed step's name and the system's reason.
[[noreturn]] void failSocket(const char* what);

// A connected TCP socket to 127.0.0.1:port with Nagle's delay off.
int connectLoopback(uint16_t port);

void sendAll(int fd, std::span<const uint8_t> bytes);
// The PDUs one after the other, in as few writes as the socket allows.
void sendAll(int fd, const std::vector<std::vector<uint8_t>>& pdus);

// Reads exactly length bytes; false when the peer closed or failed first.
bool readExact(int fd, uint8_t* out, std::size_t length);

// Reads the PDUs of a DCE/RPC connection one by one. It receives as much as
// the socket holds at once, as the baseline's reads do, and keeps what
// belongs to the next PDU; a closed or broken connection ends the program.
class PduReader {
 public:
  explicit PduReader(int fd) : fd_(fd), buffer_(1 << 20) {}
  // The next whole PDU, valid until the next call.
  std::span<const uint8_t> next();

 private:
  int fd_;
  std::vector<uint8_t> buffer_;
  std::size_t start_ = 0;
  std::size_t end_ = 0;
};

// A loopback connection to an echo thread that answers every request of
// requestBytes with responseBytes; shut down and joined on destruction.
class EchoConnection {
 public:
  EchoConnection(std::size_t requestBytes, std::size_t responseBytes);
  ~EchoConnection();
  EchoConnection(const EchoConnection&) = delete;
  EchoConnection& operator=(const EchoConnection&) = delete;

  // One round trip of the fixed byte counts.
  void exchange();

 private:
  struct Parts;
  Parts* parts_;
};

// The timed loop of the baseline: before each round trip, beforeEach runs the
// in-process work the measured call does besides its transfer (none when the
// transfer alone is the baseline).
template <typename BeforeEach>
void RunPingPong(benchmark::State& state, std::size_t requestBytes, std::size_t responseBytes,
                 BeforeEach beforeEach) {
  EchoConnection connection(requestBytes, responseBytes);
  for (auto _ : state) {
    beforeEach();
    connection.exchange();
  }
}

inline void RunPingPong(benchmark::State& state, std::size_t requestBytes, std::size_t responseBytes) {
  RunPingPong(state, requestBytes, responseBytes, [] {});
}

}  // namespace bench

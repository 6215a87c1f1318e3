// Feeds arbitrary bytes to the RPC client as everything a server answers
// (bind_ack, responses, faults, shutdown) over a loopback connection: every
// input must end the call with a status, never a crash or a hang.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "rpc/client.h"

namespace {

struct Listener {
  int fd = -1;
  uint16_t port = 0;
  Listener() {
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd, 4);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Listener listener;
  rpc::ClientSettings settings;
  // The first byte picks the level, so that the NTLM and signature paths
  // are reached as well as the plain one.
  settings.level = size > 0 && (data[0] & 1) ? rpc::AuthLevel::PacketIntegrity : rpc::AuthLevel::None;
  settings.identity = {u"opcuser", u"TESTDOM", ntlm::ntHash("Secret123!")};
  settings.callTimeout = std::chrono::milliseconds(200);
  auto connected = rpc::ClientConnection::connect("127.0.0.1", listener.port, settings);
  if (!connected.connection) return 0;
  int server = ::accept(listener.fd, nullptr, nullptr);
  if (server < 0) return 0;
  if (size > 1) (void)::send(server, data + 1, size - 1, MSG_NOSIGNAL);
  ::shutdown(server, SHUT_WR);
  const rpc::SyntaxId syntax{*rpc::Uuid::parse("99fcfec4-5260-101b-bbcb-00aa0021347a"), 0, 0};
  const uint8_t stub[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  for (int i = 0; i < 3 && connected.connection->usable(); ++i) {
    (void)connected.connection->call(syntax, 1, stub);
  }
  ::close(server);
  return 0;
}

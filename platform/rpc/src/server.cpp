#include "rpc/server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstring>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "association.h"
#include "worker_pool.h"

namespace rpc {
namespace {

// A status for a handler that failed without saying how.
constexpr uint32_t kFaultUnspecified = 0x1C000012;

std::string addressText(const sockaddr_storage& address, uint16_t* port) {
  char text[INET6_ADDRSTRLEN] = "?";
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
    if (port) *port = ntohs(v4.sin_port);
  } else if (address.ss_family == AF_INET6) {
    const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
    inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    if (port) *port = ntohs(v6.sin6_port);
  }
  return text;
}

struct Connection {
  int fd = -1;
  std::unique_ptr<detail::Association> association;
  std::mutex writeMutex;  // serialises respond() and the writes of its PDUs
  std::atomic<size_t> inFlight{0};
  std::atomic<bool> finished{false};

  ~Connection() {
    if (fd >= 0) ::close(fd);
  }

  // Call with writeMutex held.
  bool sendAll(std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
      ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      bytes = bytes.subspan(static_cast<size_t>(sent));
    }
    return true;
  }

  // Writes the pieces in order with as few calls as the socket allows.
  bool sendAll(std::span<const std::span<const uint8_t>> pieces) {
    std::vector<iovec> vectors;
    vectors.reserve(pieces.size());
    for (auto piece : pieces) {
      if (!piece.empty()) vectors.push_back({const_cast<uint8_t*>(piece.data()), piece.size()});
    }
    std::span<iovec> left(vectors);
    while (!left.empty()) {
      msghdr message{};
      message.msg_iov = left.data();
      message.msg_iovlen = std::min<size_t>(left.size(), IOV_MAX);
      ssize_t sent = ::sendmsg(fd, &message, MSG_NOSIGNAL);
      if (sent < 0 && errno == EINTR) continue;
      if (sent <= 0) return false;
      // Drop what went out: whole pieces, then the front of a partial one.
      auto count = static_cast<size_t>(sent);
      while (!left.empty() && count >= left.front().iov_len) {
        count -= left.front().iov_len;
        left = left.subspan(1);
      }
      if (count != 0) {
        left.front().iov_base = static_cast<uint8_t*>(left.front().iov_base) + count;
        left.front().iov_len -= count;
      }
    }
    return true;
  }

  enum class ReadResult { Complete, Closed, TimedOut };

  // Reads exactly `length` bytes; with a deadline, gives up when it passes.
  // Reads go through a buffer, so that a whole PDU usually takes one
  // receive. Only the thread reading the connection touches the buffer.
  ReadResult readExact(uint8_t* out, size_t length, std::optional<std::chrono::steady_clock::time_point> deadline) {
    size_t done = 0;
    while (done < length) {
      if (inboxStart < inboxEnd) {
        size_t take = std::min(length - done, inboxEnd - inboxStart);
        std::memcpy(out + done, inbox.data() + inboxStart, take);
        inboxStart += take;
        done += take;
        continue;
      }
      if (deadline) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return ReadResult::TimedOut;
        pollfd entry{fd, POLLIN, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) return ReadResult::TimedOut;
        if (ready < 0) return ReadResult::Closed;
      }
      inbox.resize(kInboxSize);
      ssize_t count = ::recv(fd, inbox.data(), inbox.size(), 0);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) return ReadResult::Closed;
      inboxStart = 0;
      inboxEnd = static_cast<size_t>(count);
    }
    return ReadResult::Complete;
  }

  static constexpr size_t kInboxSize = 16384;
  std::vector<uint8_t> inbox;
  size_t inboxStart = 0;
  size_t inboxEnd = 0;
};

}  // namespace

struct Server::Impl {
  ServerSettings settings;
  detail::Environment environment;
  detail::AssociationGroups groups;

  std::mutex registryMutex;  // guards handlers and resolver
  std::map<SyntaxId, std::shared_ptr<InterfaceHandler>> handlers;
  std::function<std::shared_ptr<InterfaceHandler>(const SyntaxId&)> resolver;

  std::mutex credentialsMutex;  // guards credentials
  std::shared_ptr<const ntlm::CredentialStore> credentials;

  std::mutex logMutex;  // serialises the logger's lines
  std::function<void(std::string_view)> logger;

  std::mutex listenMutex;  // guards listeners
  std::vector<int> listeners;
  int wakeFd = -1;
  std::thread acceptThread;

  std::mutex connectionsMutex;  // guards connections
  std::list<std::shared_ptr<Connection>> connections;

  detail::WorkerPool pool;
  std::atomic<bool> running{false};
  std::atomic<bool> stopping{false};
  std::atomic<uint64_t> nextConnectionId{1};

  void log(std::string_view line) {
    std::lock_guard lock(logMutex);
    if (logger) logger(line);
  }

  std::shared_ptr<InterfaceHandler> resolve(const SyntaxId& syntax) {
    std::lock_guard lock(registryMutex);
    auto found = handlers.find(syntax);
    if (found != handlers.end()) return found->second;
    return resolver ? resolver(syntax) : nullptr;
  }

  void acceptLoop();
  void accept(int listener);
  void serve(const std::shared_ptr<Connection>& connection);
  bool admit(const std::shared_ptr<Connection>& connection, const detail::ReadyCall& call);
  void execute(const std::shared_ptr<Connection>& connection, detail::ReadyCall& call);
  void reap();
};

Server::Server(ServerSettings settings) : impl_(std::make_unique<Impl>()) {
  impl_->settings = settings;
  impl_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  auto& environment = impl_->environment;
  environment.settings = settings;
  environment.groups = &impl_->groups;
  Impl* impl = impl_.get();
  environment.resolve = [impl](const SyntaxId& syntax) { return impl->resolve(syntax); };
  environment.credentials = [impl] {
    std::lock_guard lock(impl->credentialsMutex);
    return impl->credentials;
  };
  environment.log = [impl](const std::string& line) { impl->log(line); };
  environment.acceptor.netbiosComputer = std::u16string(settings.netbiosComputer.begin(), settings.netbiosComputer.end());
  environment.acceptor.netbiosDomain = std::u16string(settings.netbiosDomain.begin(), settings.netbiosDomain.end());
}

Server::~Server() {
  stop();
  if (impl_->wakeFd >= 0) ::close(impl_->wakeFd);
}

void Server::registerInterface(const SyntaxId& abstractSyntax, std::shared_ptr<InterfaceHandler> handler) {
  std::lock_guard lock(impl_->registryMutex);
  impl_->handlers[abstractSyntax] = std::move(handler);
}

void Server::setInterfaceResolver(std::function<std::shared_ptr<InterfaceHandler>(const SyntaxId&)> resolver) {
  std::lock_guard lock(impl_->registryMutex);
  impl_->resolver = std::move(resolver);
}

void Server::setLogger(std::function<void(std::string_view)> logger) {
  std::lock_guard lock(impl_->logMutex);
  impl_->logger = std::move(logger);
}

void Server::setCredentials(std::shared_ptr<const ntlm::CredentialStore> credentials) {
  std::lock_guard lock(impl_->credentialsMutex);
  impl_->credentials = std::move(credentials);
}

void Server::setAcceptorSettings(ntlm::AcceptorSettings settings) { impl_->environment.acceptor = std::move(settings); }

Server::ListenResult Server::listen(const std::string& address, uint16_t port) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
  if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    length = sizeof *v4;
  } else if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    length = sizeof *v6;
  } else {
    return {std::nullopt, address + ": not a numeric IPv4 or IPv6 address"};
  }
  int fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {std::nullopt, std::strerror(errno)};
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (storage.ss_family == AF_INET6) ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 || ::listen(fd, 128) != 0) {
    std::string error = address + ":" + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return {std::nullopt, error};
  }
  sockaddr_storage bound{};
  socklen_t boundLength = sizeof bound;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundLength);
  uint16_t boundPort = 0;
  addressText(bound, &boundPort);
  {
    std::lock_guard lock(impl_->listenMutex);
    impl_->listeners.push_back(fd);
  }
  uint64_t one = 1;
  (void)::write(impl_->wakeFd, &one, sizeof one);
  impl_->log("listening on " + address + " port " + std::to_string(boundPort));
  return {boundPort, {}};
}

void Server::start() {
  if (impl_->running.exchange(true)) return;
  impl_->stopping = false;
  impl_->pool.start(std::max<size_t>(1, impl_->settings.workerThreads),
                    impl_->settings.maxConnections + std::max<size_t>(1, impl_->settings.maxCallThreads));
  impl_->acceptThread = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
}

void Server::stop() {
  if (!impl_->running.exchange(false)) return;
  impl_->stopping = true;
  uint64_t one = 1;
  (void)::write(impl_->wakeFd, &one, sizeof one);
  impl_->acceptThread.join();
  {
    std::lock_guard lock(impl_->listenMutex);
    for (int fd : impl_->listeners) ::close(fd);
    impl_->listeners.clear();
  }
  std::list<std::shared_ptr<Connection>> connections;
  {
    std::lock_guard lock(impl_->connectionsMutex);
    connections = impl_->connections;
  }
  // Ask every client to close, and stop reading: calls that are running
  // still send their answers.
  Header header;
  header.type = PduType::Shutdown;
  auto shutdownPdu = encodePdu(header, EmptyBody{});
  for (auto& connection : connections) {
    {
      std::lock_guard lock(connection->writeMutex);
      connection->sendAll(shutdownPdu);
    }
    ::shutdown(connection->fd, SHUT_RD);
  }
  impl_->pool.stop();
  for (auto& connection : connections) ::shutdown(connection->fd, SHUT_RDWR);
  std::lock_guard lock(impl_->connectionsMutex);
  impl_->connections.clear();
}

size_t Server::connectionCount() const {
  std::lock_guard lock(impl_->connectionsMutex);
  size_t count = 0;
  for (const auto& connection : impl_->connections) count += connection->finished ? 0 : 1;
  return count;
}

void Server::Impl::acceptLoop() {
  while (!stopping) {
    std::vector<pollfd> entries{{wakeFd, POLLIN, 0}};
    {
      std::lock_guard lock(listenMutex);
      for (int fd : listeners) entries.push_back({fd, POLLIN, 0});
    }
    int ready = ::poll(entries.data(), entries.size(), 1000);
    reap();
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) continue;
    if (entries[0].revents) {
      uint64_t value;
      (void)::read(wakeFd, &value, sizeof value);
    }
    for (size_t i = 1; i < entries.size() && !stopping; ++i) {
      if (entries[i].revents & POLLIN) accept(entries[i].fd);
    }
  }
}

void Server::Impl::reap() {
  std::list<std::shared_ptr<Connection>> done;
  {
    std::lock_guard lock(connectionsMutex);
    for (auto it = connections.begin(); it != connections.end();) {
      if ((*it)->finished) {
        done.push_back(*it);
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
  }
}

void Server::Impl::accept(int listener) {
  sockaddr_storage peer{};
  socklen_t peerLength = sizeof peer;
  int fd = ::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC);
  if (fd < 0) return;
  detail::ConnectionInfo info;
  info.id = nextConnectionId++;
  info.peerAddress = addressText(peer, nullptr);
  sockaddr_storage local{};
  socklen_t localLength = sizeof local;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLength);
  info.localAddress = addressText(local, &info.localPort);

  std::lock_guard lock(connectionsMutex);
  size_t open = 0;
  for (const auto& connection : connections) open += connection->finished ? 0 : 1;
  if (open >= settings.maxConnections) {
    log("connection from " + info.peerAddress + " refused: " + std::to_string(open) + " connections open");
    ::close(fd);
    return;
  }
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  auto connection = std::make_shared<Connection>();
  connection->fd = fd;
  connection->association = std::make_unique<detail::Association>(environment, info);
  log("connection " + std::to_string(info.id) + " from " + info.peerAddress + " to " + info.localAddress + " port " +
      std::to_string(info.localPort));
  connections.push_back(connection);
  pool.submit([this, connection] { serve(connection); });
}

void Server::Impl::serve(const std::shared_ptr<Connection>& connection) {
  auto& association = *connection->association;
  std::vector<uint8_t> buffer;
  const auto timeout = std::chrono::seconds(settings.handshakeTimeoutSeconds);
  std::string reason = "closed by the client";
  while (!stopping) {
    std::optional<std::chrono::steady_clock::time_point> deadline;
    if (association.awaitingHandshake()) deadline = std::chrono::steady_clock::now() + timeout;
    buffer.resize(kHeaderSize);
    auto read = connection->readExact(buffer.data(), kHeaderSize, deadline);
    if (read == Connection::ReadResult::Complete) {
      auto header = decodeHeader(buffer);
      if (!header) {
        reason = std::string("unreadable PDU header (") + toString(header.error) + ")";
        break;
      }
      buffer.resize(header.value->fragLength);
      read = connection->readExact(buffer.data() + kHeaderSize, buffer.size() - kHeaderSize, deadline);
    }
    if (read != Connection::ReadResult::Complete) {
      if (read == Connection::ReadResult::TimedOut) reason = "handshake timed out";
      break;
    }

    auto step = association.receive(buffer);
    {
      std::lock_guard lock(connection->writeMutex);
      for (const auto& reply : step.replies) connection->sendAll(reply);
    }
    if (step.close) {
      reason = "closed after a protocol or security error";
      break;
    }
    // The thread that read a call runs it, so that no thread switch lies on
    // the way from request to response. A client that multiplexes may send
    // more calls meanwhile, so reading its connection passes to another
    // thread and those calls run beside; one that does not waits for the
    // answer, and this thread reads on after it.
    if (!association.multiplexed() && step.calls.size() == 1) {
      if (admit(connection, step.calls.front())) execute(connection, step.calls.front());
      continue;
    }
    for (size_t i = 0; i + 1 < step.calls.size(); ++i) {
      if (!admit(connection, step.calls[i])) continue;
      pool.submit([this, connection, call = std::move(step.calls[i])]() mutable { execute(connection, call); });
    }
    if (!step.calls.empty() && admit(connection, step.calls.back())) {
      pool.submit([this, connection] { serve(connection); });
      execute(connection, step.calls.back());
      return;
    }
  }
  log("connection " + std::to_string(association.connection().id) + " ended: " + (stopping ? "server stopping" : reason));
  ::shutdown(connection->fd, stopping ? SHUT_RD : SHUT_RDWR);
  connection->finished = true;
  uint64_t one = 1;
  (void)::write(wakeFd, &one, sizeof one);
}

bool Server::Impl::admit(const std::shared_ptr<Connection>& connection, const detail::ReadyCall& call) {
  if (connection->inFlight >= settings.maxPendingCalls) {
    log("call " + std::to_string(call.callId) + " refused: too many calls in progress");
    std::lock_guard lock(connection->writeMutex);
    connection->sendAll(connection->association->fault(call.callId, call.contextId, kFaultServerTooBusy, true));
    return false;
  }
  ++connection->inFlight;
  return true;
}

void Server::Impl::execute(const std::shared_ptr<Connection>& connection, detail::ReadyCall& call) {
  CallResult result;
  try {
    result = call.handler->call(call.context, call.stub);
  } catch (...) {
    result = CallResult::fault(kFaultUnspecified);
  }
  {
    std::lock_guard lock(connection->writeMutex);
    connection->association->respond(call, result,
                                     [&](std::span<const std::span<const uint8_t>> pieces) {
                                       return connection->sendAll(pieces);
                                     });
  }
  --connection->inFlight;
}

}  // namespace rpc

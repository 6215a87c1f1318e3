// A remote computer: its resolver connection, the exporter connections of
// the OXIDs it hands out and the bindings of those OXIDs, kept so that an
// OBJREF for a known OXID needs no round trip.

#include <cstring>

#include "runtime_internal.h"

namespace dcom::client {
namespace {

// "host[port]" into its parts; port 0 when there is none.
bool parseBinding(const std::u16string& address, std::string& host, std::uint16_t& port) {
  host.clear();
  port = 0;
  size_t open = address.find(u'[');
  for (size_t i = 0; i < std::min(open, address.size()); ++i) {
    if (address[i] > 0x7F) return false;
    host.push_back(static_cast<char>(address[i]));
  }
  if (open == std::u16string::npos) return !host.empty();
  unsigned value = 0;
  size_t i = open + 1;
  for (; i < address.size() && address[i] != u']'; ++i) {
    if (address[i] < u'0' || address[i] > u'9' || value > 65535) return false;
    value = value * 10 + (address[i] - u'0');
  }
  if (i == address.size() || value == 0 || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return !host.empty();
}

}  // namespace

rpc::Uuid toUuid(const GUID& guid) {
  rpc::Uuid uuid;
  static_assert(sizeof(GUID) == 16);
  std::memcpy(uuid.bytes.data(), &guid, 16);
  return uuid;
}

rpc::SyntaxId syntaxOf(const IID& iid) { return rpc::SyntaxId{toUuid(iid), 0, 0}; }

Machine::Machine(std::string host, const RuntimeSettings& settings, std::optional<rpc::ClientSettings> client)
    : host_(std::move(host)), resolverPort_(settings.resolverPort), client_(std::move(client)) {}

rpc::ClientStatus Machine::connectionTo(const std::string& host, std::uint16_t port, Connection& out) {
  std::string key = host + "[" + std::to_string(port) + "]";
  {
    std::lock_guard lock(mutex_);
    auto found = connections_.find(key);
    if (found != connections_.end() && found->second->usable()) {
      out = found->second;
      return rpc::ClientStatus::Ok;
    }
  }
  {
    std::lock_guard lock(mutex_);
    if (closed_) return rpc::ClientStatus::Disconnected;
  }
  // Connecting happens outside the lock: a machine that does not answer
  // must not hold up calls to the connections that work.
  auto connected = rpc::ClientConnection::connect(host, port, *client_);
  if (connected.status != rpc::ClientStatus::Ok) return connected.status;
  std::lock_guard lock(mutex_);
  if (host == host_ && port == resolverPort_) reachedAddress_ = connected.connection->peerAddress();
  out = std::move(connected.connection);
  connections_[key] = out;
  return rpc::ClientStatus::Ok;
}

rpc::ClientCallResult Machine::resolverCall(const IID& iid, std::uint16_t opnum, std::span<const std::uint8_t> stub) {
  if (!client_) return {rpc::ClientStatus::AccessDenied, 0, {}};
  Connection connection;
  if (auto status = connectionTo(host_, resolverPort_, connection); status != rpc::ClientStatus::Ok) {
    return {status, 0, {}};
  }
  return connection->call(syntaxOf(iid), opnum, stub);
}

void Machine::close() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (auto& [key, connection] : connections_) connection->abort();
}

void Machine::queueRelease(Oxid oxid, std::vector<RemInterfaceRef> refs) {
  std::lock_guard lock(mutex_);
  releases_.emplace_back(oxid, std::move(refs));
}

void Machine::sendReleases() {
  std::lock_guard sending(sending_);
  std::vector<std::pair<Oxid, std::vector<RemInterfaceRef>>> releases;
  {
    std::lock_guard lock(mutex_);
    releases.swap(releases_);
  }
  for (auto& [oxid, refs] : releases) {
    OxidInfo info;
    if (FAILED(resolve(oxid, info))) continue;
    RemRefsIn in;
    in.orpcThis = orpcThis();
    in.refs = std::move(refs);
    std::vector<std::uint8_t> request;
    ndr::encode(request, [&](auto& w) { walkIn(w, in); });
    // A release that fails leaves the references to the server's expiry of
    // objects nobody pings.
    call(oxid, info.remUnknown, remUnknownIid(), static_cast<std::uint16_t>(RemUnknownOp::remRelease), request);
  }
}

const IID& Machine::remUnknownIid() {
  std::lock_guard lock(mutex_);
  return onlyRemUnknown_ ? kIidIRemUnknown : kIidIRemUnknown2;
}

rpc::ClientCallResult Machine::remUnknownCall(Oxid oxid, RemUnknownOp op, std::span<const std::uint8_t> stub) {
  OxidInfo info;
  if (FAILED(resolve(oxid, info))) return {rpc::ClientStatus::Unreachable, 0, {}};
  const IID& iid = remUnknownIid();
  auto result = objectCall(oxid, info.remUnknown, iid, static_cast<std::uint16_t>(op), stub);
  if (result.status == rpc::ClientStatus::UnknownInterface && &iid == &kIidIRemUnknown2) {
    {
      std::lock_guard lock(mutex_);
      onlyRemUnknown_ = true;
    }
    result = objectCall(oxid, info.remUnknown, kIidIRemUnknown, static_cast<std::uint16_t>(op), stub);
  }
  return result;
}

rpc::ClientCallResult Machine::objectCall(Oxid oxid, const Ipid& ipid, const IID& iid, std::uint16_t opnum,
                                          std::span<const std::uint8_t> stub) {
  bool pending;
  {
    std::lock_guard lock(mutex_);
    pending = !releases_.empty();
  }
  if (pending) {
    sendReleases();
  } else {
    // Releases another thread is sending still go first.
    std::lock_guard sending(sending_);
  }
  return call(oxid, ipid, iid, opnum, stub);
}

rpc::ClientCallResult Machine::call(Oxid oxid, const Ipid& ipid, const IID& iid, std::uint16_t opnum,
                                    std::span<const std::uint8_t> stub) {
  if (!client_) return {rpc::ClientStatus::AccessDenied, 0, {}};
  {
    // The connection that served the OXID last serves it again while it
    // works, without looking at its bindings.
    Connection known;
    {
      std::lock_guard lock(mutex_);
      auto found = exporters_.find(oxid);
      if (found != exporters_.end() && found->second->usable()) known = found->second;
    }
    if (known) return known->call(syntaxOf(iid), opnum, stub, toUuid(ipid));
  }
  OxidInfo info;
  if (FAILED(resolve(oxid, info))) return {rpc::ClientStatus::Unreachable, 0, {}};
  // The exporter is tried at the address the resolver was reached on first
  // (the one that is known to route), then at the others it names.
  std::vector<std::pair<std::string, std::uint16_t>> candidates;
  std::string reached;
  {
    std::lock_guard lock(mutex_);
    reached = reachedAddress_;
  }
  for (const auto& binding : info.bindings.strings) {
    std::string host;
    std::uint16_t port = 0;
    if (binding.towerId != kTowerTcp || !parseBinding(binding.networkAddress, host, port) || port == 0) continue;
    if (host == reached || host == host_) {
      candidates.insert(candidates.begin(), {host, port});
    } else {
      candidates.emplace_back(host, port);
    }
  }
  rpc::ClientStatus status = rpc::ClientStatus::Unreachable;
  for (const auto& [host, port] : candidates) {
    Connection connection;
    status = connectionTo(host, port, connection);
    if (status == rpc::ClientStatus::Ok) {
      {
        std::lock_guard lock(mutex_);
        exporters_[oxid] = connection;
      }
      return connection->call(syntaxOf(iid), opnum, stub, toUuid(ipid));
    }
    // A machine that does not answer at one address within the time-out
    // will not at the next: the user has waited long enough.
    if (status == rpc::ClientStatus::TimedOut) break;
  }
  return {status, 0, {}};
}

HRESULT Machine::resolve(Oxid oxid, OxidInfo& info) {
  {
    std::lock_guard lock(mutex_);
    auto found = oxids_.find(oxid);
    if (found != oxids_.end()) {
      info = found->second;
      return S_OK;
    }
  }
  ResolveOxidIn in{oxid, {kTowerTcp}};
  std::vector<std::uint8_t> request;
  ndr::encode(request, [&](auto& w) { walkIn(w, in); });
  auto result = resolverCall(kIidIObjectExporter, static_cast<std::uint16_t>(ExporterOp::resolveOxid2), request);
  if (result.status != rpc::ClientStatus::Ok) return hresultOf(result.status, result.faultStatus);
  ResolveOxidOut out;
  if (ndr::decode(result.stub, [&](auto& w) { walkOut(w, out, true); }) || !out.bindings) {
    return static_cast<HRESULT>(0x800706F7);
  }
  if (out.status != 0) return kRpcEInvalidObject;
  info.bindings = *out.bindings;
  info.remUnknown = out.remUnknown;
  remember(oxid, info);
  return S_OK;
}

void Machine::remember(Oxid oxid, OxidInfo info) {
  std::lock_guard lock(mutex_);
  oxids_[oxid] = std::move(info);
}

HRESULT hresultOf(rpc::ClientStatus status, std::uint32_t faultStatus) {
  // One table from the runtime's outcomes to the codes the client shows.
  switch (status) {
    case rpc::ClientStatus::Ok:
      return S_OK;
    case rpc::ClientStatus::Unreachable:
    case rpc::ClientStatus::TimedOut:
    case rpc::ClientStatus::Disconnected:
      return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    case rpc::ClientStatus::AccessDenied:
      return E_ACCESSDENIED;
    case rpc::ClientStatus::UnknownInterface:
      return E_NOINTERFACE;
    case rpc::ClientStatus::ProtocolError:
      return HRESULT_FROM_WIN32(1728);  // RPC_S_PROTOCOL_ERROR
    case rpc::ClientStatus::Fault:
      // Object faults carry an HRESULT (RPC_E_INVALID_IPID and the like);
      // runtime faults are Win32 or NCA codes.
      if (faultStatus & 0x80000000u) return static_cast<HRESULT>(faultStatus);
      if (faultStatus != 0 && faultStatus < 0x10000) return HRESULT_FROM_WIN32(faultStatus);
      return HRESULT_FROM_WIN32(1726);  // RPC_S_CALL_FAILED
  }
  return E_FAIL;
}

}  // namespace dcom::client

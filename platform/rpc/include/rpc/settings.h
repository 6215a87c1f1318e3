#pragma once
// The settings of the RPC server, each with a safe default.

#include <cstddef>
#include <cstdint>
#include <string>

#include "rpc/call.h"

namespace rpc {

struct ServerSettings {
  // Calls below this level are refused with access denied before any
  // handler runs.
  AuthLevel minimumLevel = AuthLevel::PacketIntegrity;
  // NTLMv1 (with extended session security) is far weaker than NTLMv2 and is
  // accepted only for old clients when this is set.
  bool allowNtlmV1 = false;
  // Refuse NTLM logons without a MIC.
  bool requireMic = false;
  size_t maxConnections = 256;
  // Largest request stub after reassembly.
  size_t maxReassembledSize = 4 * 1024 * 1024;
  // Calls per connection that are being reassembled or executed.
  size_t maxPendingCalls = 64;
  // Largest fragment sent or received; binds negotiate down from it.
  uint16_t maxFragmentSize = 5840;
  // A connection that has not bound, or has begun an NTLM handshake and not
  // finished it, within this time is closed.
  int handshakeTimeoutSeconds = 30;
  // Threads started with the server; more are started while connections
  // are open and calls run, up to maxConnections + maxCallThreads.
  size_t workerThreads = 4;
  // Calls that run at once beyond one per connection.
  size_t maxCallThreads = 64;
  // Names this server gives in NTLM challenges.
  std::string netbiosComputer = "VELMORA";
  std::string netbiosDomain = "WORKGROUP";
};

}  // namespace rpc

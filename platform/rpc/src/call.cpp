#include "rpc/call.h"

namespace rpc {

const char* toString(AuthLevel level) {
  switch (level) {
    case AuthLevel::Default: return "default";
    case AuthLevel::None: return "none";
    case AuthLevel::Connect: return "connect";
    case AuthLevel::Call: return "call";
    case AuthLevel::Packet: return "packet";
    case AuthLevel::PacketIntegrity: return "packet integrity";
    case AuthLevel::PacketPrivacy: return "packet privacy";
  }
  return "unknown";
}

}  // namespace rpc

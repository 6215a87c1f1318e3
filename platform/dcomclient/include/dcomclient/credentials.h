#pragma once
// Who Quillon logs on as on each machine: one line per machine,
//   machine:user:domain:nthash[:privacy]
// with the NT hash as 32 hex digits, "*" as the machine for every machine
// without a line of its own, and "#" starting a comment. Calls are signed
// (packet integrity) unless the line ends in ":privacy", which encrypts them
// as well. The file holds password equivalents, so it is refused when anyone
// but its owner may read or change it.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ntlm/crypto.h"
#include "rpc/call.h"

namespace dcom::client {

struct MachineCredential {
  std::string machine;  // "*" for the default
  std::string user;
  std::string domain;
  ntlm::Digest ntHash{};
  rpc::AuthLevel level = rpc::AuthLevel::PacketIntegrity;
};

class MachineCredentials {
public:
  MachineCredentials() = default;
  explicit MachineCredentials(std::vector<MachineCredential> entries) : entries_(std::move(entries)) {}

  // Parses the text; `error` names the first bad line.
  static std::optional<MachineCredentials> parse(std::string_view text, std::string* error = nullptr);
  // Reads the file, refusing one that others may read or change or that
  // belongs to another user. A missing file is an empty set of credentials.
  static std::optional<MachineCredentials> load(const std::string& path, std::string* error = nullptr);
  // $XDG_CONFIG_HOME/Velmora/dcom-machines (or ~/.config/Velmora/...).
  static std::string defaultPath();

  // The line for machine (any case), else the default line, else nothing.
  const MachineCredential* find(std::string_view machine) const;

private:
  std::vector<MachineCredential> entries_;
};

}  // namespace dcom::client

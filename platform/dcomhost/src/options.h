#pragma once
// The command line of the DCOM host.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rpc/settings.h"

namespace dcomhost {

struct Options {
  std::vector<std::string> addresses;  // empty: 127.0.0.1
  uint16_t port = 135;                 // resolver and activation
  uint16_t exporterPort = 0;           // exported objects; 0 picks a free port
  std::string credentialsFile;
  std::vector<std::string> extraAddresses;  // offered to clients besides the one they reached
  unsigned pingPeriodSeconds = 120;
  unsigned missedPings = 3;
  rpc::ServerSettings server;
};

const char* usage();

// The options, or nothing with `error` saying what is wrong. `environment`
// supplies the default credentials file (XDG_CONFIG_HOME, HOME).
std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string* error,
                                    const char* (*environment)(const char*) = nullptr);

}  // namespace dcomhost

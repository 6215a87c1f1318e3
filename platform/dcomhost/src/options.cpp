#include "options.h"

#include <charconv>
#include <cstdlib>

namespace dcomhost {
namespace {

template <typename T>
bool number(const std::string& text, T minimum, T maximum, T* value) {
  T parsed{};
  auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (problem != std::errc() || end != text.data() + text.size() || parsed < minimum || parsed > maximum) return false;
  *value = parsed;
  return true;
}

std::optional<rpc::AuthLevel> level(const std::string& text) {
  if (text == "none") return rpc::AuthLevel::None;
  if (text == "connect") return rpc::AuthLevel::Connect;
  if (text == "integrity") return rpc::AuthLevel::PacketIntegrity;
  if (text == "privacy") return rpc::AuthLevel::PacketPrivacy;
  return std::nullopt;
}

}  // namespace

const char* usage() {
  return "usage: dcomhost [options] | --help\n"
         "Exports the remotely activatable in-process COM servers of the registry over DCOM.\n"
         "  --listen ADDRESS        numeric IPv4/IPv6 address to listen on (repeatable; default 127.0.0.1)\n"
         "  --port N                port of the resolver and activation (default 135)\n"
         "  --exporter-port N       port of the exported objects (default: any free port)\n"
         "  --advertise ADDRESS     address clients may reach besides the one they used (repeatable)\n"
         "  --credentials FILE      accounts file (default $XDG_CONFIG_HOME/Velmora/dcom-users)\n"
         "  --minimum-level LEVEL   none, connect, integrity or privacy (default integrity)\n"
         "  --allow-ntlmv1          accept NTLMv1 logons (old clients; weak)\n"
         "  --require-mic           refuse NTLM logons without a MIC\n"
         "  --max-connections N     (default 256)\n"
         "  --max-call-size BYTES   largest request after reassembly (default 4194304)\n"
         "  --max-pending-calls N   calls in progress per connection (default 64)\n"
         "  --ping-period SECONDS   (default 120)\n"
         "  --missed-pings N        pings a client may miss before its objects are released (default 3)\n"
         "SIGTERM or SIGINT stops the host; SIGHUP reads the accounts file again.\n";
}

std::optional<Options> parseOptions(const std::vector<std::string>& arguments, std::string* error,
                                    const char* (*environment)(const char*)) {
  if (!environment) environment = [](const char* name) -> const char* { return std::getenv(name); };
  Options options;
  auto fail = [&](const std::string& text) -> std::optional<Options> {
    if (error) *error = text;
    return std::nullopt;
  };
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    bool flag = name == "--allow-ntlmv1" || name == "--require-mic";
    if (flag) {
      (name == "--allow-ntlmv1" ? options.server.allowNtlmV1 : options.server.requireMic) = true;
      continue;
    }
    if (i + 1 >= arguments.size()) return fail(name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument " + name);
    const std::string& value = arguments[++i];
    bool valid = true;
    if (name == "--listen") {
      options.addresses.push_back(value);
    } else if (name == "--advertise") {
      options.extraAddresses.push_back(value);
    } else if (name == "--port") {
      valid = number<uint16_t>(value, 1, 65535, &options.port);
    } else if (name == "--exporter-port") {
      valid = number<uint16_t>(value, 0, 65535, &options.exporterPort);
    } else if (name == "--credentials") {
      options.credentialsFile = value;
    } else if (name == "--minimum-level") {
      auto parsed = level(value);
      valid = parsed.has_value();
      if (valid) options.server.minimumLevel = *parsed;
    } else if (name == "--max-connections") {
      valid = number<size_t>(value, 1, 100000, &options.server.maxConnections);
    } else if (name == "--max-call-size") {
      valid = number<size_t>(value, 1024, size_t{1} << 30, &options.server.maxReassembledSize);
    } else if (name == "--max-pending-calls") {
      valid = number<size_t>(value, 1, 100000, &options.server.maxPendingCalls);
    } else if (name == "--ping-period") {
      valid = number<unsigned>(value, 1, 86400, &options.pingPeriodSeconds);
    } else if (name == "--missed-pings") {
      valid = number<unsigned>(value, 1, 1000, &options.missedPings);
    } else {
      return fail("unknown option " + name);
    }
    if (!valid) return fail("bad value for " + name + ": " + value);
  }
  if (options.addresses.empty()) options.addresses.push_back("127.0.0.1");
  if (options.credentialsFile.empty()) {
    const char* config = environment("XDG_CONFIG_HOME");
    const char* home = environment("HOME");
    if (config && *config) {
      options.credentialsFile = std::string(config) + "/Velmora/dcom-users";
    } else if (home && *home) {
      options.credentialsFile = std::string(home) + "/.config/Velmora/dcom-users";
    } else {
      return fail("no --credentials given and neither XDG_CONFIG_HOME nor HOME is set");
    }
  }
  return options;
}

}  // namespace dcomhost

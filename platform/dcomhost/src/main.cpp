// dcomhost: exports the remotely activatable in-process COM servers of the
// registry over DCOM, like a surrogate process. See usage() for the options.
#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>
#include <string>
#include <vector>

#include "com/objbase.h"
#include "dcom/dual_string_array.h"
#include "dcom/exporter.h"
#include "dcom/service.h"
#include "ntlm/credentials.h"
#include "opcwire/stubs.h"
#include "options.h"
#include "rpc/server.h"
#include "surrogate_classes.h"

namespace {

std::mutex logMutex;  // one line at a time on the standard error output

void logLine(std::string_view line) {
  std::time_t now = std::time(nullptr);
  std::tm parts{};
  gmtime_r(&now, &parts);  // log lines come from many threads
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &parts);
  std::lock_guard lock(logMutex);
  std::cerr << stamp << " dcomhost: " << line << std::endl;
}

// The registry's rule, offered to DCOM's activation.
class Classes : public dcom::ClassProvider {
public:
  HRESULT createInstance(REFCLSID clsid, const std::string& user, IUnknown** object) override {
    HRESULT result = classes_.createInstance(clsid, user, object);
    logLine("activation of " + dcomhost::guidText(clsid) + " for " + (user.empty() ? "anonymous" : user) + ": " +
            hex(result));
    return result;
  }
  HRESULT getClassObject(REFCLSID clsid, const std::string& user, IUnknown** factory) override {
    HRESULT result = classes_.getClassObject(clsid, user, factory);
    logLine("class object of " + dcomhost::guidText(clsid) + " for " + (user.empty() ? "anonymous" : user) + ": " +
            hex(result));
    return result;
  }

private:
  static std::string hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(result));
    return text;
  }
  dcomhost::SurrogateClasses classes_;
};

std::shared_ptr<const ntlm::CredentialStore> loadCredentials(const std::string& path) {
  auto loaded = ntlm::CredentialStore::load(path);
  if (!loaded.store) {
    logLine("accounts: " + loaded.error);
    return nullptr;
  }
  logLine("accounts: " + std::to_string(loaded.store->credentials().size()) + " from " + path);
  return std::make_shared<const ntlm::CredentialStore>(std::move(*loaded.store));
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]) == "--help") {
      std::cout << dcomhost::usage();
      return 0;
    }
  }
  std::string error;
  auto options = dcomhost::parseOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    std::cerr << "dcomhost: " << error << "\n" << dcomhost::usage();
    return 2;
  }
  // The signals are taken by sigwait below, never by another thread.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  auto credentials = loadCredentials(options->credentialsFile);
  if (!credentials) return 1;
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    logLine("COM cannot be initialised");
    return 1;
  }

  rpc::Server server(options->server);
  server.setLogger(logLine);
  server.setCredentials(credentials);
  // The exporter's port is known once it is bound; every address gets both.
  uint16_t exporterPort = options->exporterPort;
  for (const auto& address : options->addresses) {
    auto resolver = server.listen(address, options->port);
    if (!resolver.port) {
      logLine("cannot listen: " + resolver.error);
      return 1;
    }
    if (exporterPort != options->port) {
      auto exporter = server.listen(address, exporterPort);
      if (!exporter.port) {
        logLine("cannot listen: " + exporter.error);
        return 1;
      }
      exporterPort = *exporter.port;
    }
  }

  dcom::ExporterSettings exporterSettings;
  exporterSettings.pingPeriod = std::chrono::seconds(options->pingPeriodSeconds);
  exporterSettings.missedPings = options->missedPings;
  // Written into every object reference: where clients find the resolver.
  std::vector<std::string> resolverAddresses = options->addresses;
  resolverAddresses.insert(resolverAddresses.end(), options->extraAddresses.begin(), options->extraAddresses.end());
  exporterSettings.resolverBindings = dcom::bindingsFor(resolverAddresses, options->port);
  auto exporter = std::make_shared<dcom::Exporter>(exporterSettings);
  dcom::ServiceOptions serviceOptions;
  serviceOptions.exporterPort = exporterPort;
  serviceOptions.minimumLevel = options->server.minimumLevel;
  serviceOptions.extraAddresses = options->extraAddresses;
  serviceOptions.stubs = opcwire::makeStubs(exporter);
  dcom::registerDcomServices(server, exporter, std::make_shared<Classes>(), serviceOptions);
  int result = 0;
  {
    dcom::ExpiryTimer expiry(*exporter, std::chrono::seconds(10));
    server.start();
    logLine("ready: resolver on port " + std::to_string(options->port) + ", objects on port " +
            std::to_string(exporterPort) + ", minimum level " + rpc::toString(options->server.minimumLevel));
    for (;;) {
      int signal = 0;
      if (sigwait(&signals, &signal) != 0) continue;
      if (signal == SIGHUP) {
        if (auto reloaded = loadCredentials(options->credentialsFile)) server.setCredentials(reloaded);
        continue;
      }
      logLine(signal == SIGTERM ? "stopping on SIGTERM" : "stopping on SIGINT");
      break;
    }
    server.stop();
  }
  exporter.reset();
  CoUninitialize();
  logLine("stopped");
  return result;
}

#pragma once

// A registry of the test binary's own (VELMORA_REGISTRY points at a scratch
// file for the whole run), into which the OPC servers of the build register
// themselves, so that tests connect to them by ProgID as the program does.
// Each test binary adds it once as a global test environment:
//
//   const auto* const kRegistry = ::testing::AddGlobalTestEnvironment(new quillon::testing::ScratchRegistry);

#include <gtest/gtest.h>

#include <string>

#include "com/guid.h"

namespace quillon::testing {

class ScratchRegistry : public ::testing::Environment {
 public:
  void SetUp() override;
  void TearDown() override;

  // Whether the sample server "Pelkor.DataSample" (and its fault variants)
  // and the server list are registered.
  static bool hasSampleServer();
  static bool hasServerList();
  // The file whose writing makes a running sample server ask its clients to
  // disconnect (its text is the reason); VELMORA_SAMPLE_SHUTDOWN_FILE names
  // it for the whole run.
  static const std::string& shutdownRequestFile();

 private:
  std::string folder_;
};

// Registers a ProgID that names `clsid`, with CurVer naming `currentVersion`
// when that is given. The class itself is registered only with `library`
// as its in-process server.
void registerProgId(const std::string& progId, const CLSID& clsid, const std::string& currentVersion = {},
                    const std::string& library = {});

}  // namespace quillon::testing

#include "testing/scratch_registry.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>

#include "win/registry.h"
#include "win/winerror.h"

namespace quillon::testing {
namespace {

bool sampleServerRegistered = false;
std::string shutdownFile;
bool serverListRegistered = false;

// Runs the library's own registration, as the regsvr tool does.
bool registerLibrary(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    ADD_FAILURE() << "Cannot load " << path << ": " << dlerror();
    return false;
  }
  using Entry = HRESULT (*)();
  auto registerServer = reinterpret_cast<Entry>(dlsym(library, "DllRegisterServer"));
  const bool registered = registerServer != nullptr && SUCCEEDED(registerServer());
  dlclose(library);
  EXPECT_TRUE(registered) << "DllRegisterServer of " << path;
  return registered;
}

std::string clsidText(const CLSID& clsid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0], clsid.Data4[1],
                clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
  return text;
}

void setDefault(const std::string& key, const std::string& value) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, value.c_str(), 0), ERROR_SUCCESS) << key;
}

}  // namespace

void ScratchRegistry::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  folder_ = pattern;
  setenv("VELMORA_REGISTRY", (folder_ + "/registry.reg").c_str(), 1);
  shutdownFile = folder_ + "/sample.shutdown";
  setenv("VELMORA_SAMPLE_SHUTDOWN_FILE", shutdownFile.c_str(), 1);
#ifdef SAMPLE_SERVER_PATH
  sampleServerRegistered = registerLibrary(SAMPLE_SERVER_PATH);
#endif
#ifdef SERVER_LIST_PATH
  serverListRegistered = registerLibrary(SERVER_LIST_PATH);
#endif
}

void ScratchRegistry::TearDown() {
  unsetenv("VELMORA_REGISTRY");
  unsetenv("VELMORA_SAMPLE_SHUTDOWN_FILE");
  if (!folder_.empty()) std::filesystem::remove_all(folder_);
}

bool ScratchRegistry::hasSampleServer() { return sampleServerRegistered; }
bool ScratchRegistry::hasServerList() { return serverListRegistered; }
const std::string& ScratchRegistry::shutdownRequestFile() { return shutdownFile; }

void registerProgId(const std::string& progId, const CLSID& clsid, const std::string& currentVersion,
                    const std::string& library) {
  const std::string clsidKey = "CLSID\\" + clsidText(clsid);
  setDefault(progId, progId);
  setDefault(progId + "\\CLSID", clsidText(clsid));
  if (!currentVersion.empty()) setDefault(progId + "\\CurVer", currentVersion);
  if (!library.empty()) setDefault(clsidKey + "\\InprocServer32", library);
}

}  // namespace quillon::testing

// regsvr: registers in-process COM servers in the registry, or with -u
// removes them, by calling the library's DllRegisterServer or
// DllUnregisterServer. The registrations go to the user's store, or with
// --system to the machine-wide store (see win/registry_store.h).
//
//   regsvr [-u] [--system] LIBRARY...
//
// Exit status 0 when every library was done, 1 when one failed, 2 for wrong
// usage.

#include <dlfcn.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "com/guid.h"
#include "velmora/version.h"
#include "win/registry_store.h"

namespace {

using RegistrationEntry = HRESULT (*)();

constexpr const char* kUsage =
    "usage: regsvr [-u] [--system] LIBRARY...\n"
    "Registers in-process COM servers (with -u removes their registrations) by\n"
    "calling each library's DllRegisterServer or DllUnregisterServer.\n"
    "  -u         unregister\n"
    "  --system   write the machine-wide registry instead of the user's\n"
    "  --help     show this text;  --version  show the version\n";

void usage() { std::fputs(kUsage, stderr); }

// Runs the library's registration entry; false (after saying why) on any
// failure.
bool process(const char* library, bool unregister) {
  // An absolute path, so that the library is loaded from the file named and
  // not looked up on the library search path.
  char path[PATH_MAX];
  if (realpath(library, path) == nullptr) {
    std::fprintf(stderr, "regsvr: %s: %s\n", library, std::strerror(errno));
    return false;
  }
  void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "regsvr: cannot load %s: %s\n", path, dlerror());
    return false;
  }
  const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
  auto entry = reinterpret_cast<RegistrationEntry>(dlsym(handle, entryName));
  bool done = false;
  if (entry == nullptr) {
    std::fprintf(stderr, "regsvr: %s has no %s\n", path, entryName);
  } else {
    const HRESULT hr = entry();
    done = SUCCEEDED(hr);
    if (!done) {
      std::fprintf(stderr, "regsvr: %s of %s failed with 0x%08X\n", entryName, path,
                   static_cast<unsigned>(hr));
    }
  }
  dlclose(handle);
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  if (velmora::answerStandardOptions(argc, argv, "regsvr", kUsage)) return 0;
  bool unregister = false;
  int first = 1;
  for (; first < argc; ++first) {
    if (std::strcmp(argv[first], "-u") == 0) {
      unregister = true;
    } else if (std::strcmp(argv[first], "--system") == 0) {
      win::setRegistryWriteStore(win::RegistryStore::System);
    } else {
      break;
    }
  }
  if (first >= argc) {
    usage();
    return 2;
  }
  bool allDone = true;
  for (int k = first; k < argc; ++k) {
    if (argv[k][0] == '-') {
      usage();
      return 2;
    }
    allDone = process(argv[k], unregister) && allDone;
  }
  return allDone ? 0 : 1;
}

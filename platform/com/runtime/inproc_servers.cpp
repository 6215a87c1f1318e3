// The table of loaded in-process servers. Each library is opened once and
// entered through DllGetClassObject; it is closed again only when its
// DllCanUnloadNow says that none of its objects or locks is left, and never
// while a class object is being fetched from it (the fetch pins it, since
// the library holds no object until DllGetClassObject has returned one).
// A library without DllCanUnloadNow stays loaded.

#include "inproc_servers.h"

#include <dlfcn.h>

#include <memory>
#include <mutex>
#include <vector>

#include "apartment_state.h"
#include "com/activation.h"

namespace {

using GetClassObjectEntry = HRESULT (*)(REFCLSID, REFIID, LPVOID*);
using CanUnloadNowEntry = HRESULT (*)();

struct Library {
  std::string path;
  void* handle = nullptr;
  GetClassObjectEntry getClassObject = nullptr;
  CanUnloadNowEntry canUnloadNow = nullptr;
  unsigned pins = 0;  // fetches in progress
};

class ServerTable {
 public:
  HRESULT getClassObject(const std::string& path, REFCLSID clsid, REFIID riid, void** object) {
    Library* library = nullptr;
    HRESULT hr = pin(path, library);
    if (FAILED(hr)) return hr;
    // Called without the table's lock: a server may activate other classes
    // from inside DllGetClassObject.
    hr = library->getClassObject(clsid, riid, object);
    unpin(*library);
    return hr;
  }

  void freeUnused() noexcept {
    std::vector<void*> closing;
    {
      std::lock_guard lock(mutex_);
      for (auto it = libraries_.begin(); it != libraries_.end();) {
        Library& library = **it;
        if (library.pins == 0 && library.canUnloadNow != nullptr && library.canUnloadNow() == S_OK) {
          closing.push_back(library.handle);
          it = libraries_.erase(it);
        } else {
          ++it;
        }
      }
    }
    // Closed after the lock is let go, as a library's destructors may call
    // back into COM.
    for (void* handle : closing) dlclose(handle);
  }

 private:
  HRESULT pin(const std::string& path, Library*& pinned) {
    std::lock_guard lock(mutex_);
    for (auto& library : libraries_) {
      if (library->path == path) {
        ++library->pins;
        pinned = library.get();
        return S_OK;
      }
    }
    // Opened under the lock, so that two threads never load the same server
    // twice; the library's constructors must not activate classes.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return CO_E_DLLNOTFOUND;
    // Another path (a link, a relative name) may lead to a library that is
    // already loaded; keep one entry per library.
    for (auto& library : libraries_) {
      if (library->handle == handle) {
        dlclose(handle);
        ++library->pins;
        pinned = library.get();
        return S_OK;
      }
    }
    auto getClassObject = reinterpret_cast<GetClassObjectEntry>(dlsym(handle, "DllGetClassObject"));
    if (getClassObject == nullptr) {
      dlclose(handle);
      return CO_E_ERRORINDLL;
    }
    auto canUnloadNow = reinterpret_cast<CanUnloadNowEntry>(dlsym(handle, "DllCanUnloadNow"));
    try {
      libraries_.push_back(std::make_unique<Library>(Library{path, handle, getClassObject, canUnloadNow, 1}));
    } catch (const std::bad_alloc&) {
      dlclose(handle);
      return E_OUTOFMEMORY;
    }
    pinned = libraries_.back().get();
    return S_OK;
  }

  void unpin(Library& library) {
    std::lock_guard lock(mutex_);
    --library.pins;
  }

  std::mutex mutex_;
  std::vector<std::unique_ptr<Library>> libraries_;  // guarded by mutex_
};

ServerTable& serverTable() {
  // Never destroyed: libraries that refuse to unload stay loaded until the
  // process ends.
  static ServerTable* const table = new ServerTable;
  return *table;
}

}  // namespace

namespace com::detail {

HRESULT getClassObjectFromLibrary(const std::string& path, REFCLSID clsid, REFIID riid, void** object) {
  return serverTable().getClassObject(path, clsid, riid, object);
}

void freeUnusedServers() noexcept { serverTable().freeUnused(); }

}  // namespace com::detail

extern "C" {

COM_API void CoFreeUnusedLibraries() { com::detail::freeUnusedServers(); }

COM_API void CoFreeUnusedLibrariesEx(DWORD, DWORD) { com::detail::freeUnusedServers(); }

}  // extern "C"

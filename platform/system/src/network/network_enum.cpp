// WNetOpenEnumA, WNetEnumResourceA and WNetCloseEnum (win/network.h) over
// the process's NetworkProvider (win/network_provider.h).

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "network/avahi_network.h"
#include "win/network.h"
#include "win/network_provider.h"
#include "win/winerror.h"

namespace win {

NetworkProvider::~NetworkProvider() = default;

namespace {

struct Enumeration {
  DWORD scope = RESOURCE_GLOBALNET;
  std::vector<NetworkEntry> entries;
  std::size_t next = 0;
};

// Guards the provider slot and the open enumerations.
std::mutex& lock() {
  static std::mutex mutex;
  return mutex;
}

std::shared_ptr<NetworkProvider>& providerSlot() {
  static std::shared_ptr<NetworkProvider> provider;
  return provider;
}

std::shared_ptr<NetworkProvider> currentProvider() {
  std::lock_guard<std::mutex> guard(lock());
  if (!providerSlot()) providerSlot() = makeAvahiNetworkProvider();
  return providerSlot();
}

std::map<HANDLE, std::unique_ptr<Enumeration>>& enumerations() {
  static std::map<HANDLE, std::unique_ptr<Enumeration>> open;
  return open;
}

std::size_t textSize(const std::string& text) { return text.empty() ? 0 : text.size() + 1; }

std::size_t entrySize(const NetworkEntry& entry) {
  return sizeof(NETRESOURCEA) + textSize(entry.remoteName) + textSize(entry.comment) + textSize(entry.provider);
}

}  // namespace

std::shared_ptr<NetworkProvider> setNetworkProvider(std::shared_ptr<NetworkProvider> provider) {
  std::lock_guard<std::mutex> guard(lock());
  std::shared_ptr<NetworkProvider> previous = std::move(providerSlot());
  providerSlot() = std::move(provider);
  return previous;
}

}  // namespace win

extern "C" {

WIN_API DWORD WNetOpenEnumA(DWORD scope, DWORD /*type*/, DWORD /*usage*/, LPNETRESOURCEA resource,
                            LPHANDLE handle) {
  if (handle == nullptr) return ERROR_INVALID_PARAMETER;
  *handle = nullptr;
  if (scope != RESOURCE_GLOBALNET) return ERROR_NOT_SUPPORTED;
  if (resource != nullptr && (resource->dwUsage & RESOURCEUSAGE_CONTAINER) == 0) return ERROR_NOT_CONTAINER;
  auto enumeration = std::make_unique<win::Enumeration>();
  // The provider may take its time (it asks the network); no lock is held
  // meanwhile.
  const std::shared_ptr<win::NetworkProvider> provider = win::currentProvider();
  const DWORD error = provider->enumerate(resource, enumeration->entries);
  if (error != NO_ERROR) return error;
  std::lock_guard<std::mutex> guard(win::lock());
  HANDLE key = enumeration.get();
  win::enumerations().emplace(key, std::move(enumeration));
  *handle = key;
  return NO_ERROR;
}

WIN_API DWORD WNetEnumResourceA(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD bufferSize) {
  if (count == nullptr || bufferSize == nullptr || (buffer == nullptr && *bufferSize != 0)) {
    return ERROR_INVALID_PARAMETER;
  }
  std::lock_guard<std::mutex> guard(win::lock());
  const auto found = win::enumerations().find(handle);
  if (found == win::enumerations().end()) return ERROR_INVALID_HANDLE;
  win::Enumeration& enumeration = *found->second;
  if (enumeration.next >= enumeration.entries.size()) {
    *count = 0;
    return ERROR_NO_MORE_ITEMS;
  }

  // Records at the front of the buffer, their texts packed from its end.
  const DWORD wanted = *count;
  std::size_t fitting = 0;
  std::size_t used = 0;
  for (std::size_t i = enumeration.next; i < enumeration.entries.size() && fitting < wanted; ++i) {
    const std::size_t size = win::entrySize(enumeration.entries[i]);
    if (used + size > *bufferSize) break;
    used += size;
    ++fitting;
  }
  if (fitting == 0) {
    *bufferSize = static_cast<DWORD>(win::entrySize(enumeration.entries[enumeration.next]));
    return ERROR_MORE_DATA;
  }
  auto* records = static_cast<NETRESOURCEA*>(buffer);
  char* textEnd = static_cast<char*>(buffer) + *bufferSize;
  const auto place = [&textEnd](const std::string& text) -> LPSTR {
    if (text.empty()) return nullptr;
    textEnd -= text.size() + 1;
    std::memcpy(textEnd, text.c_str(), text.size() + 1);
    return textEnd;
  };
  for (std::size_t k = 0; k < fitting; ++k) {
    const win::NetworkEntry& entry = enumeration.entries[enumeration.next + k];
    NETRESOURCEA& record = records[k];
    record.dwScope = enumeration.scope;
    record.dwType = entry.type;
    record.dwDisplayType = entry.displayType;
    record.dwUsage = entry.usage;
    record.lpLocalName = nullptr;
    record.lpRemoteName = place(entry.remoteName);
    record.lpComment = place(entry.comment);
    record.lpProvider = place(entry.provider);
  }
  enumeration.next += fitting;
  *count = static_cast<DWORD>(fitting);
  return NO_ERROR;
}

WIN_API DWORD WNetCloseEnum(HANDLE handle) {
  std::lock_guard<std::mutex> guard(win::lock());
  return win::enumerations().erase(handle) != 0 ? NO_ERROR : ERROR_INVALID_HANDLE;
}

}  // extern "C"

// IPersistFile of the sample server: saves the groups and their items to a
// configuration file (configuration_file.h) and loads them again. A load
// replaces every private group, and the public groups the file names.

#include <set>

#include "configuration_file.h"
#include "group.h"
#include "locales.h"
#include "opc/opcerror.h"
#include "safe_file.h"
#include "server.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"

namespace sample {
namespace {

constexpr char16_t kDefaultFileName[] = u"*.cfg";

Configuration snapshotConfiguration(const ServerCore& core) {
  Configuration configuration;
  const AddressSpace& space = *core.shared->space;
  for (const auto& entry : core.groups.list(GroupScope::All)) {
    SavedGroup group;
    group.name = entry.name;
    group.isPublic = entry.state->isPublic;
    std::lock_guard lock(entry.state->mutex);
    group.settings = entry.state->settings;
    entry.state->items.forEach([&](const GroupItem& item) {
      const ItemDefinition& definition = space.item(item.item);
      group.items.push_back(SavedItem{definition.id, std::u16string(accessPathOf(item, definition)), item.active,
                                      item.clientHandle, item.requestedType,
                                      item.blob ? *item.blob : std::vector<BYTE>()});
    });
    configuration.groups.push_back(std::move(group));
  }
  return configuration;
}

HRESULT checkConfiguration(const ServerCore& core, const Configuration& configuration) {
  std::set<std::u16string> names;
  for (const auto& group : configuration.groups) {
    if (!names.insert(group.name).second) return OPC_E_INVALIDCONFIGFILE;
    if (!isSupportedLocale(group.settings.locale)) return OPC_E_INVALIDCONFIGFILE;
  }
  // Public groups the file does not name stay; their names must stay free.
  for (const auto& entry : core.groups.list(GroupScope::Public)) {
    if (names.count(entry.name) != 0) {
      for (const auto& group : configuration.groups) {
        if (group.name == entry.name && !group.isPublic) return OPC_E_DUPLICATENAME;
      }
    }
  }
  return S_OK;
}

HRESULT applyConfiguration(ServerCore& core, const Configuration& configuration) {
  if (HRESULT hr = checkConfiguration(core, configuration); FAILED(hr)) return hr;
  std::set<std::u16string> names;
  for (const auto& group : configuration.groups) names.insert(group.name);
  for (const auto& entry : core.groups.list(GroupScope::All)) {
    if (!entry.state->isPublic || names.count(entry.name) != 0) {
      core.removeGroup(entry.handle, true, entry.state->isPublic);
    }
  }
  const AddressSpace& space = *core.shared->space;
  for (const auto& saved : configuration.groups) {
    GroupSettings settings = saved.settings;
    settings.updateRate = reviseUpdateRate(settings.updateRate);
    OPCHANDLE handle = 0;
    HRESULT hr = core.createGroup(saved.name, settings, saved.isPublic, IID_NULL, nullptr, &handle);
    if (FAILED(hr)) return hr;
    auto entry = core.groups.find(handle);
    if (!entry) continue;
    std::vector<GroupItem> items;
    for (const auto& savedItem : saved.items) {
      // Items the address space no longer has (a smaller many-items branch)
      // are left out.
      OPCITEMDEF definition{};
      definition.szItemID = const_cast<LPWSTR>(savedItem.itemId.c_str());
      definition.szAccessPath = const_cast<LPWSTR>(savedItem.accessPath.c_str());
      definition.vtRequestedDataType = savedItem.requestedType;
      const ItemResolution resolved = resolveItem(space, definition);
      if (FAILED(resolved.error)) continue;
      GroupItem item;
      item.clientHandle = savedItem.clientHandle;
      item.item = resolved.item;
      item.accessPath = resolved.accessPath;
      item.active = savedItem.active;
      item.requestedType = savedItem.requestedType;
      if (!savedItem.blob.empty()) item.blob = std::make_shared<const std::vector<BYTE>>(savedItem.blob);
      items.push_back(std::move(item));
    }
    std::lock_guard lock(entry->state->mutex);
    entry->state->items.add(items, core.shared->itemHandles);
  }
  return S_OK;
}

}  // namespace

HRESULT SampleServer::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = clsid_;
  return S_OK;
}

HRESULT SampleServer::IsDirty() {
  std::lock_guard lock(sessionMutex_);
  return core_->shared->configurationVersion.load() != savedVersion_ ? S_OK : S_FALSE;
}

HRESULT SampleServer::Load(LPCOLESTR fileName, DWORD) {
  if (fileName == nullptr || *fileName == 0) return E_INVALIDARG;
  return guarded([&] {
    const std::u16string name(fileName);
    std::string text;
    if (HRESULT hr = readWholeFile(toUtf8(name), text); FAILED(hr)) return hr;
    Configuration configuration;
    if (HRESULT hr = parseConfiguration(text, configuration); FAILED(hr)) return hr;
    std::lock_guard lock(sessionMutex_);
    if (HRESULT hr = applyConfiguration(*core_, configuration); FAILED(hr)) return hr;
    currentFile_ = name;
    savedVersion_ = core_->shared->configurationVersion.load();
    return S_OK;
  });
}

HRESULT SampleServer::Save(LPCOLESTR fileName, BOOL remember) {
  return guarded([&] {
    std::lock_guard lock(sessionMutex_);
    const bool toCurrent = fileName == nullptr;
    if (toCurrent && currentFile_.empty()) return E_INVALIDARG;
    const std::u16string name = toCurrent ? currentFile_ : std::u16string(fileName);
    if (name.empty()) return E_INVALIDARG;
    const uint64_t version = core_->shared->configurationVersion.load();
    const std::string text = formatConfiguration(snapshotConfiguration(*core_));
    if (HRESULT hr = writeFileSafely(toUtf8(name), text, options_.saveHook); FAILED(hr)) return hr;
    // Saving a copy elsewhere (remember FALSE) changes neither the current
    // file nor whether the configuration counts as saved.
    if (toCurrent || remember) {
      currentFile_ = name;
      savedVersion_ = version;
    }
    return S_OK;
  });
}

HRESULT SampleServer::SaveCompleted(LPCOLESTR) {
  // Saves are complete when Save returns; there is no state to leave.
  return S_OK;
}

HRESULT SampleServer::GetCurFile(LPOLESTR* fileName) {
  if (fileName == nullptr) return E_POINTER;
  *fileName = nullptr;
  return guarded([&] {
    std::lock_guard lock(sessionMutex_);
    const bool hasFile = !currentFile_.empty();
    *fileName = copyToTaskString(hasFile ? std::u16string_view(currentFile_) : std::u16string_view(kDefaultFileName));
    if (*fileName == nullptr) return E_OUTOFMEMORY;
    return hasFile ? S_OK : S_FALSE;
  });
}

}  // namespace sample

// IOPCBrowseServerAddressSpace of the sample server. The address space is
// hierarchical; each client session has its own browse position, which
// starts at the root. Branch and leaf browsing list names relative to the
// position; a flat browse lists the fully qualified IDs of every item at
// and below it.

#include <algorithm>
#include <memory>
#include <string_view>

#include "address_space.h"
#include "com/enumerator.h"
#include "opc/opcerror.h"
#include "server.h"
#include "server_core.h"
#include "task_memory.h"
#include "text.h"
#include "wildcard.h"

namespace sample {
namespace {

// Browse results are names and IDs that live in the address space, which
// never changes; the enumerator keeps views of them (and the address space
// alive) and copies each string only when a client fetches it. Copying every
// ID up front cost an allocation per item before the client asked for any,
// and a flat browse of a large branch then touched twice the memory.
struct ViewCopy {
  using Stored = std::u16string_view;
  using Out = LPOLESTR;
  static bool copy(const Stored& from, Out* to) {
    const size_t length = from.size();
    *to = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(OLECHAR)));
    if (*to == nullptr) return false;
    std::copy(from.begin(), from.end(), *to);
    (*to)[length] = 0;
    return true;
  }
  static void destroy(Out* item) {
    CoTaskMemFree(*item);
    *item = nullptr;
  }
};

using NameEnumerator = com::Enumerator<IEnumString, ViewCopy>;

// The views and the address space they point into, kept together.
struct BrowseResult {
  std::shared_ptr<const AddressSpace> space;
  NameEnumerator::Items names;
};

HRESULT enumerateNames(std::shared_ptr<BrowseResult> result, IEnumString** out) {
  // Aliases the views with the owner of the whole result.
  std::shared_ptr<const NameEnumerator::Items> names(result, &result->names);
  com::Ptr<NameEnumerator> enumerator = com::makeObject<NameEnumerator>(std::move(names));
  if (!enumerator) return E_OUTOFMEMORY;
  *out = enumerator.detach();
  return S_OK;
}

}  // namespace

HRESULT SampleServer::QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) {
  if (pNameSpaceType == nullptr) return E_INVALIDARG;
  *pNameSpaceType = OPC_NS_HIERARCHIAL;
  return S_OK;
}

HRESULT SampleServer::ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) {
  const AddressSpace& space = *core_->shared->space;
  const std::u16string_view name = viewOf(szString);
  return guarded([&] {
    std::lock_guard lock(sessionMutex_);
    switch (dwBrowseDirection) {
      case OPC_BROWSE_UP:
        if (browseBranch_ == AddressSpace::kRoot) return E_FAIL;  // already at the top
        browseBranch_ = space.branch(browseBranch_).parent;
        return S_OK;
      case OPC_BROWSE_DOWN: {
        auto child = space.childBranch(browseBranch_, name);
        if (!child) return E_INVALIDARG;
        browseBranch_ = *child;
        return S_OK;
      }
      case OPC_BROWSE_TO: {
        auto branch = space.findBranch(name);
        if (!branch) return E_INVALIDARG;
        browseBranch_ = *branch;
        return S_OK;
      }
      default:
        return E_INVALIDARG;
    }
  });
}

HRESULT SampleServer::BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                       VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                       LPENUMSTRING* ppIEnumString) {
  if (ppIEnumString == nullptr) return E_INVALIDARG;
  *ppIEnumString = nullptr;
  if (dwBrowseFilterType != OPC_BRANCH && dwBrowseFilterType != OPC_LEAF && dwBrowseFilterType != OPC_FLAT) {
    return E_INVALIDARG;
  }
  const std::u16string_view filter = viewOf(szFilterCriteria);
  if (!isValidPattern(filter)) return OPC_E_INVALIDFILTER;
  const AddressSpace& space = *core_->shared->space;
  uint32_t position;
  {
    std::lock_guard lock(sessionMutex_);
    position = browseBranch_;
  }
  auto nameMatches = [&](std::u16string_view name) {
    return filter.empty() || matchesPattern(name, filter, true);
  };
  auto itemMatches = [&](uint32_t index) {
    const ItemBasics& item = space.basics(index);
    return (vtDataTypeFilter == VT_EMPTY || item.canonicalType == vtDataTypeFilter) &&
           (item.accessRights & dwAccessRightsFilter) == dwAccessRightsFilter;
  };
  return guarded([&] {
    auto result = std::make_shared<BrowseResult>();
    result->space = core_->shared->space;
    NameEnumerator::Items& names = result->names;
    const Branch& branch = space.branch(position);
    if (dwBrowseFilterType == OPC_BRANCH) {
      for (uint32_t child : branch.branches) {
        if (nameMatches(space.branch(child).name)) names.push_back(space.branch(child).name);
      }
    } else if (dwBrowseFilterType == OPC_LEAF) {
      for (uint32_t index : branch.items) {
        const ItemDefinition& item = space.item(index);
        if (itemMatches(index) && nameMatches(item.name)) names.push_back(item.name);
      }
    } else {
      const auto items = space.flatItems(position);
      names.reserve(items.size());
      for (uint32_t index : items) {
        const std::u16string_view id = space.itemId(index);
        if (itemMatches(index) && nameMatches(id)) names.push_back(id);
      }
    }
    const bool empty = names.empty();
    const HRESULT hr = enumerateNames(std::move(result), ppIEnumString);
    if (FAILED(hr)) return hr;
    return empty && !options_.emptyEnumerationsSucceed ? S_FALSE : S_OK;
  });
}

HRESULT SampleServer::GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) {
  if (szItemID == nullptr) return E_INVALIDARG;
  *szItemID = nullptr;
  const std::u16string_view name = viewOf(szItemDataID);
  if (name.empty() && options_.failItemIdOfBrowsePosition) return E_FAIL;
  const AddressSpace& space = *core_->shared->space;
  return guarded([&] {
    uint32_t position;
    {
      std::lock_guard lock(sessionMutex_);
      position = browseBranch_;
    }
    std::u16string id;
    if (name.empty()) {
      id = space.branch(position).id;  // the position itself ("" at the root)
    } else if (auto item = space.childItem(position, name)) {
      id = space.item(*item).id;
    } else if (auto child = space.childBranch(position, name)) {
      id = space.branch(*child).id;
    } else {
      return OPC_E_UNKNOWNITEMID;
    }
    *szItemID = copyToTaskString(id);
    return *szItemID != nullptr ? S_OK : E_OUTOFMEMORY;
  });
}

HRESULT SampleServer::BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) {
  if (ppIEnumString == nullptr) return E_INVALIDARG;
  *ppIEnumString = nullptr;
  const AddressSpace& space = *core_->shared->space;
  return guarded([&] {
    auto item = space.findItem(viewOf(szItemID));
    if (!item) return OPC_E_UNKNOWNITEMID;
    std::vector<std::u16string> paths = space.item(*item).accessPaths;
    const bool empty = paths.empty();
    const HRESULT hr = com::EnumString::create(std::move(paths), ppIEnumString);
    if (FAILED(hr)) return hr;
    return empty && !options_.emptyEnumerationsSucceed ? S_FALSE : S_OK;
  });
}

}  // namespace sample

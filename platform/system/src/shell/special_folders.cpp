// SHGetSpecialFolderLocation, SHGetFileInfoA and ILFree (win/shell.h).

#include <cstring>
#include <new>

#include "win/shell.h"
#include "win/winerror.h"

// An item list here only remembers which special folder it names.
struct ITEMIDLIST {
  int folder;
};

namespace {

const char* displayName(int folder) {
  switch (folder) {
    case CSIDL_DRIVES:
      return "This Computer";
    case CSIDL_NETWORK:
      return "Network";
    default:
      return nullptr;
  }
}

}  // namespace

extern "C" {

WIN_API HRESULT SHGetSpecialFolderLocation(HANDLE /*owner*/, int folder, LPITEMIDLIST* list) {
  if (list == nullptr) return E_INVALIDARG;
  *list = nullptr;
  if (displayName(folder) == nullptr) return E_INVALIDARG;
  *list = new (std::nothrow) ITEMIDLIST{folder};
  return *list != nullptr ? S_OK : E_OUTOFMEMORY;
}

WIN_API DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD /*attributes*/, SHFILEINFOA* info, UINT infoSize,
                                 UINT flags) {
  if (path == nullptr || info == nullptr || infoSize < sizeof(SHFILEINFOA)) return 0;
  if ((flags & SHGFI_PIDL) == 0 || (flags & SHGFI_DISPLAYNAME) == 0) return 0;
  const auto* list = reinterpret_cast<const ITEMIDLIST*>(path);
  const char* name = displayName(list->folder);
  if (name == nullptr) return 0;
  std::memset(info, 0, sizeof *info);
  std::strncpy(info->szDisplayName, name, sizeof info->szDisplayName - 1);
  return 1;
}

WIN_API void ILFree(LPITEMIDLIST list) { delete list; }

}  // extern "C"

#pragma once

// The shell's special folders, as far as programs show their names: "This
// Computer" (CSIDL_DRIVES) and "Network" (CSIDL_NETWORK).
//
//   LPITEMIDLIST list;
//   SHFILEINFOA info;
//   if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &list))) {
//     SHGetFileInfoA(reinterpret_cast<LPCSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
//     ILFree(list);
//   }

#include "win/export.h"
#include "win/types.h"

#define CSIDL_DRIVES 0x0011
#define CSIDL_NETWORK 0x0012

#define SHGFI_DISPLAYNAME 0x000000200
#define SHGFI_PIDL 0x000000008

struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

struct SHFILEINFOA {
  HANDLE hIcon;
  int iIcon;
  DWORD dwAttributes;
  CHAR szDisplayName[MAX_PATH];
  CHAR szTypeName[80];
};

extern "C" {
// owner is not used. E_INVALIDARG for a folder without a location here.
WIN_API HRESULT SHGetSpecialFolderLocation(HANDLE owner, int folder, LPITEMIDLIST* list);
// Only SHGFI_PIDL with SHGFI_DISPLAYNAME: fills szDisplayName and returns
// non-zero; 0 for anything else.
WIN_API DWORD_PTR SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT infoSize, UINT flags);
WIN_API void ILFree(LPITEMIDLIST list);
}

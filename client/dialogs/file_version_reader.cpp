#include "dialogs/file_version_reader.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "win/lasterror.h"
#include "win/module.h"
#include "win/version.h"
#include "win/winerror.h"

namespace {

HRESULT lastPlatformError() { return static_cast<HRESULT>(0x80070000u | GetLastError()); }

}  // namespace

CFileVersionReader::~CFileVersionReader() { ReleaseBlock(); }

void CFileVersionReader::ReleaseBlock() {
  delete[] block_;
  block_ = nullptr;
}

HRESULT CFileVersionReader::Load(const char* fileName) {
  // A second load starts from nothing, so that numbers and strings never
  // come from two different files.
  ReleaseBlock();
  major_ = minor_ = third_ = fourth_ = 0;
  std::snprintf(prefix_, sizeof prefix_, "000004E4\\");

  char ownPath[MAX_PATH] = {};
  if (fileName == nullptr) {
    if (GetModuleFileNameA(nullptr, ownPath, sizeof ownPath) == 0) return lastPlatformError();
    fileName = ownPath;
  }
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
  if (size == 0) return GetLastError() == ERROR_SUCCESS ? S_OK : lastPlatformError();

  block_ = new (std::nothrow) BYTE[size];
  if (block_ == nullptr) return E_OUTOFMEMORY;
  if (!GetFileVersionInfoA(fileName, handle, size, block_)) {
    const HRESULT failure = lastPlatformError();
    ReleaseBlock();
    return failure;
  }

  LPVOID value = nullptr;
  UINT length = 0;
  if (VerQueryValueA(block_, "\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const auto* translation = static_cast<const BYTE*>(value);
    const unsigned language = translation[0] | translation[1] << 8;
    const unsigned codePage = translation[2] | translation[3] << 8;
    std::snprintf(prefix_, sizeof prefix_, "%04x%04x\\", language, codePage);
  }
  if (!VerQueryValueA(block_, "\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) {
    return lastPlatformError();
  }
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  major_ = HIWORD(fixed.dwFileVersionMS);
  minor_ = LOWORD(fixed.dwFileVersionMS);
  third_ = HIWORD(fixed.dwFileVersionLS);
  fourth_ = LOWORD(fixed.dwFileVersionLS);
  return S_OK;
}

const char* CFileVersionReader::GetVersionString(const char* name) const {
  if (block_ == nullptr || name == nullptr) return nullptr;
  char path[512];
  const int written = std::snprintf(path, sizeof path, "\\StringFileInfo\\%s%s", prefix_, name);
  if (written < 0 || static_cast<std::size_t>(written) >= sizeof path) return nullptr;
  LPVOID value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block_, path, &value, &length)) return nullptr;
  return static_cast<const char*>(value);
}

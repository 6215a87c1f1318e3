// LocalAlloc and LocalFree over the C heap (win/localmem.h).

#include <cstdlib>

#include "win/lasterror.h"
#include "win/localmem.h"
#include "win/winerror.h"

extern "C" {

WIN_API HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  if (flags & ~static_cast<UINT>(LMEM_ZEROINIT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A block of 0 bytes is still a block that LocalFree accepts.
  const SIZE_T size = bytes == 0 ? 1 : bytes;
  void* block = (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
  if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

WIN_API HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

}  // extern "C"

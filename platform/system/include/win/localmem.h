#pragma once

// Local memory: the heap blocks that FormatMessage allocates for its caller
// with FORMAT_MESSAGE_ALLOCATE_BUFFER, to be released with LocalFree.

#include "win/export.h"
#include "win/types.h"

using HLOCAL = HANDLE;

#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040
#define LPTR (LMEM_FIXED | LMEM_ZEROINIT)

extern "C" {
// Allocates a fixed block of bytes (zeroed with LMEM_ZEROINIT); the handle
// is the block's address. Null with ERROR_NOT_ENOUGH_MEMORY on failure, and
// ERROR_INVALID_PARAMETER for flags other than the two above.
WIN_API HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Frees a block from LocalAlloc; null is accepted. Returns null.
WIN_API HLOCAL LocalFree(HLOCAL block);
}

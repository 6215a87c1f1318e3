#pragma once

// The task allocator: memory handed across an interface (strings, arrays,
// records) is allocated and freed with it. It is the C heap, so any
// CoTaskMemAlloc block that is never freed shows up as a leak.

#include "com/export.h"
#include "com/interfaces/malloc.h"

// The only memory context (CoGetMalloc).
#define MEMCTX_TASK 1

extern "C" {
// Hands out the process's one IMalloc (it is never destroyed). E_INVALIDARG
// for any context but MEMCTX_TASK or a null out-parameter.
COM_API HRESULT CoGetMalloc(DWORD memContext, IMalloc** malloc);
COM_API LPVOID CoTaskMemAlloc(SIZE_T size);
// A null block allocates; a zero size frees the block and returns null.
COM_API LPVOID CoTaskMemRealloc(LPVOID block, SIZE_T size);
COM_API void CoTaskMemFree(LPVOID block);
}

#pragma once

// Global memory blocks, the medium of IDataObject's TYMED_HGLOBAL transfers.
// A GMEM_FIXED block's handle is its address; a GMEM_MOVEABLE block has a
// handle of its own and is reached through GlobalLock, which counts locks.
// Every handle is checked against the blocks that exist: a handle that was
// never allocated or is already freed fails with ERROR_INVALID_HANDLE (see
// GetLastError) instead of touching memory.

#include "com/export.h"
#include "com/wtypes.h"
#include "win/lasterror.h"
#include "win/winerror.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_NOCOMPACT 0x0010
#define GMEM_NODISCARD 0x0020
#define GMEM_ZEROINIT 0x0040
#define GMEM_MODIFY 0x0080
#define GMEM_DISCARDABLE 0x0100
#define GMEM_NOT_BANKED 0x1000
#define GMEM_SHARE 0x2000
#define GMEM_DDESHARE 0x2000
#define GMEM_INVALID_HANDLE 0x8000
#define GMEM_LOCKCOUNT 0x00FF
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

#ifndef ERROR_NOT_LOCKED
#define ERROR_NOT_LOCKED 158L
#endif

extern "C" {
// Null (ERROR_NOT_ENOUGH_MEMORY) when memory runs out, ERROR_INVALID_PARAMETER
// for unknown flags. A block of 0 bytes is valid and locks to a valid
// address.
COM_API HGLOBAL GlobalAlloc(UINT flags, SIZE_T size);
// A moveable block's lock count goes up by one (up to 255) per call.
COM_API LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block is still locked; FALSE with NO_ERROR when this call
// unlocked it, with ERROR_NOT_LOCKED when it was not locked, with
// ERROR_INVALID_HANDLE for a bad handle.
COM_API BOOL GlobalUnlock(HGLOBAL block);
COM_API SIZE_T GlobalSize(HGLOBAL block);
// Resizes a block. A fixed block, or a locked moveable one, moves only when
// flags include GMEM_MOVEABLE; GMEM_ZEROINIT clears the bytes a block grows
// by. Returns the (possibly new) handle, or null with the block unchanged.
COM_API HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T size, UINT flags);
// Null on success (a locked block is freed as well); the handle itself when
// it is not a live block.
COM_API HGLOBAL GlobalFree(HGLOBAL block);
// The lock count in the low byte plus GMEM_* state flags; GMEM_INVALID_HANDLE
// for a bad handle.
COM_API UINT GlobalFlags(HGLOBAL block);
// The handle of the block whose locked address is given; null if none.
COM_API HGLOBAL GlobalHandle(LPCVOID address);
}

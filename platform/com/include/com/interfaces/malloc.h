#pragma once

// IMalloc: the task allocator (CoGetMalloc). Memory that crosses an interface
// is allocated and freed with it.

#include "com/unknown.h"

DEFINE_GUID(IID_IMalloc, 0x00000002, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IMalloc : IUnknown {
  virtual void* STDMETHODCALLTYPE Alloc(SIZE_T size) = 0;
  virtual void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) = 0;
  virtual void STDMETHODCALLTYPE Free(void* block) = 0;
  virtual SIZE_T STDMETHODCALLTYPE GetSize(void* block) = 0;
  virtual int STDMETHODCALLTYPE DidAlloc(void* block) = 0;
  virtual void STDMETHODCALLTYPE HeapMinimize() = 0;

 protected:
  ~IMalloc() = default;
};
using LPMALLOC = IMalloc*;
COM_DECLARE_INTERFACE(IMalloc, IID_IMalloc, IUnknown);

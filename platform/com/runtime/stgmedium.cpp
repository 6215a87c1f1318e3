// Releasing a storage medium.

#include "com/allocator.h"
#include "com/hglobal.h"
#include "com/interfaces/data_object.h"

namespace {

// Streams and storages are only ever released here; every COM interface
// starts with IUnknown's three methods, which is all that is called.
void releaseInterface(void* object) {
  if (object != nullptr) static_cast<IUnknown*>(object)->Release();
}

}  // namespace

extern "C" {

COM_API void ReleaseStgMedium(STGMEDIUM* medium) {
  if (medium == nullptr) return;
  if (medium->pUnkForRelease != nullptr) {
    // The data belongs to that object; releasing it is all the receiver does.
    medium->pUnkForRelease->Release();
  } else {
    switch (medium->tymed) {
      case TYMED_HGLOBAL:
        GlobalFree(medium->hGlobal);
        break;
      case TYMED_FILE:
        CoTaskMemFree(medium->lpszFileName);
        break;
      case TYMED_ISTREAM:
        releaseInterface(medium->pstm);
        break;
      case TYMED_ISTORAGE:
        releaseInterface(medium->pstg);
        break;
      default:
        // Graphics handles are never created here, so nothing owns one.
        break;
    }
  }
  medium->tymed = TYMED_NULL;
  medium->hGlobal = nullptr;
  medium->pUnkForRelease = nullptr;
}

}  // extern "C"

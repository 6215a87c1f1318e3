#pragma once

// Symbols of the COM stand-in (libplatform_com.so) are hidden unless marked;
// COM_API marks the ones it exports. The library is shared so that the client
// and every in-process server loaded into it see one apartment table, one task
// allocator and one clipboard-format table.
#if defined(PLATFORM_COM_BUILDING)
#define COM_API __attribute__((visibility("default")))
#else
#define COM_API
#endif

// COM methods use the platform's default calling convention here.
#define STDMETHODCALLTYPE
#define STDAPI extern "C" COM_API HRESULT
#define STDAPI_(type) extern "C" COM_API type

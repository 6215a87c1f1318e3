#pragma once

// Joining and leaving COM, and process security.
//
// Every thread that uses COM joins an apartment with CoInitializeEx and
// leaves it with one CoUninitialize per successful call. Calls between
// objects are direct in every apartment: nothing is marshalled, so a server's
// own threads call a client's sinks directly and the objects themselves guard
// their state. A thread that has not joined COM may still activate objects
// while some thread of the process is in the multithreaded apartment (it is
// then implicitly part of it); otherwise activation fails with
// CO_E_NOTINITIALIZED. The last CoUninitialize of the process unloads the
// in-process servers that agree to go (DllCanUnloadNow). A thread that ends
// without leaving COM leaves it implicitly.

#include "com/export.h"
#include "com/wtypes.h"
#include "win/winerror.h"

enum COINIT : DWORD {
  COINIT_MULTITHREADED = 0x0,
  COINIT_APARTMENTTHREADED = 0x2,
  COINIT_DISABLE_OLE1DDE = 0x4,
  COINIT_SPEED_OVER_MEMORY = 0x8,
};

// Authentication levels.
#define RPC_C_AUTHN_LEVEL_DEFAULT 0
#define RPC_C_AUTHN_LEVEL_NONE 1
#define RPC_C_AUTHN_LEVEL_CONNECT 2
#define RPC_C_AUTHN_LEVEL_CALL 3
#define RPC_C_AUTHN_LEVEL_PKT 4
#define RPC_C_AUTHN_LEVEL_PKT_INTEGRITY 5
#define RPC_C_AUTHN_LEVEL_PKT_PRIVACY 6

// Impersonation levels.
#define RPC_C_IMP_LEVEL_DEFAULT 0
#define RPC_C_IMP_LEVEL_ANONYMOUS 1
#define RPC_C_IMP_LEVEL_IDENTIFY 2
#define RPC_C_IMP_LEVEL_IMPERSONATE 3
#define RPC_C_IMP_LEVEL_DELEGATE 4

// Authentication and authorisation services.
#define RPC_C_AUTHN_NONE 0
#define RPC_C_AUTHN_DCE_PRIVATE 1
#define RPC_C_AUTHN_DCE_PUBLIC 2
#define RPC_C_AUTHN_DEC_PUBLIC 4
#define RPC_C_AUTHN_GSS_NEGOTIATE 9
#define RPC_C_AUTHN_WINNT 10
#define RPC_C_AUTHN_GSS_SCHANNEL 14
#define RPC_C_AUTHN_GSS_KERBEROS 16
#define RPC_C_AUTHN_DEFAULT 0xFFFFFFFFL
#define RPC_C_AUTHZ_NONE 0
#define RPC_C_AUTHZ_NAME 1
#define RPC_C_AUTHZ_DCE 2
#define RPC_C_AUTHZ_DEFAULT 0xFFFFFFFFL

// Capabilities (CoInitializeSecurity).
enum EOLE_AUTHENTICATION_CAPABILITIES : DWORD {
  EOAC_NONE = 0x0,
  EOAC_MUTUAL_AUTH = 0x1,
  EOAC_SECURE_REFS = 0x2,
  EOAC_ACCESS_CONTROL = 0x4,
  EOAC_APPID = 0x8,
  EOAC_DYNAMIC = 0x10,
  EOAC_STATIC_CLOAKING = 0x20,
  EOAC_DYNAMIC_CLOAKING = 0x40,
  EOAC_ANY_AUTHORITY = 0x80,
  EOAC_MAKE_FULLSIC = 0x100,
  EOAC_REQUIRE_FULLSIC = 0x200,
  EOAC_AUTO_IMPERSONATE = 0x400,
  EOAC_DEFAULT = 0x800,
  EOAC_DISABLE_AAA = 0x1000,
  EOAC_NO_CUSTOM_MARSHAL = 0x2000,
};

struct SOLE_AUTHENTICATION_SERVICE {
  DWORD dwAuthnSvc;
  DWORD dwAuthzSvc;
  OLECHAR* pPrincipalName;
  HRESULT hr;
};

extern "C" {
// S_OK for the first join of the calling thread, S_FALSE for a further join
// in the same mode (each needs its own CoUninitialize), RPC_E_CHANGED_MODE
// when the thread is in the other mode (nothing to undo), E_INVALIDARG for a
// reserved pointer or unknown flags.
COM_API HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
// CoInitializeEx with COINIT_APARTMENTTHREADED.
COM_API HRESULT CoInitialize(LPVOID reserved);
// Leaves once; the thread's last call leaves its apartment. Extra calls are
// ignored.
COM_API void CoUninitialize();

// Process security is set once: the first call returns S_OK, every later
// call RPC_E_TOO_LATE, for the life of the process, whether or not the
// caller has joined COM. Calls are direct, so the values themselves have no
// effect.
COM_API HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR securityDescriptor, LONG authServiceCount,
                                     SOLE_AUTHENTICATION_SERVICE* authServices, void* reserved1,
                                     DWORD authnLevel, DWORD impLevel, void* authList, DWORD capabilities,
                                     void* reserved3);
}

#pragma once

// Identifiers of the DCOM object model and the well-known interface and
// class identifiers of its system interfaces, with the status codes they
// answer with.

#include <cstdint>

#include "com/guid.h"

namespace dcom {

using Oxid = std::uint64_t;   // an object exporter (one per serving process)
using Oid = std::uint64_t;    // an object
using SetId = std::uint64_t;  // a ping set
using Ipid = GUID;            // one interface of one object: the target of a call

#define DCOM_SYSTEM_GUID(name, l) DEFINE_GUID(name, l, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
DCOM_SYSTEM_GUID(kIidIRemUnknown, 0x00000131);
DCOM_SYSTEM_GUID(kIidIRemUnknown2, 0x00000143);
DCOM_SYSTEM_GUID(kIidIRemoteScmActivator, 0x000001A0);
DCOM_SYSTEM_GUID(kIidIActivationPropertiesIn, 0x000001A2);
DCOM_SYSTEM_GUID(kIidIActivationPropertiesOut, 0x000001A3);
DCOM_SYSTEM_GUID(kClsidServerLocationInfo, 0x000001A4);
DCOM_SYSTEM_GUID(kClsidActivationContextInfo, 0x000001A5);
DCOM_SYSTEM_GUID(kClsidSecurityInfo, 0x000001A6);
DCOM_SYSTEM_GUID(kClsidScmRequestInfo, 0x000001AA);
DCOM_SYSTEM_GUID(kClsidInstantiationInfo, 0x000001AB);
DCOM_SYSTEM_GUID(kClsidInstanceInfo, 0x000001AD);
DCOM_SYSTEM_GUID(kClsidScmReplyInfo, 0x000001B6);
DCOM_SYSTEM_GUID(kClsidSpecialSystemProperties, 0x000001B9);
DCOM_SYSTEM_GUID(kClsidErrorExtension, 0x0000031C);
DCOM_SYSTEM_GUID(kClsidContextExtension, 0x00000334);
DCOM_SYSTEM_GUID(kClsidActivationPropertiesIn, 0x00000338);
DCOM_SYSTEM_GUID(kClsidActivationPropertiesOut, 0x00000339);
DCOM_SYSTEM_GUID(kClsidPropsOutInfo, 0x00000339);
#undef DCOM_SYSTEM_GUID

DEFINE_GUID(kIidIObjectExporter, 0x99FCFEC4, 0x5260, 0x101B, 0xBB, 0xCB, 0x00, 0xAA, 0x00, 0x21, 0x34, 0x7A);
DEFINE_GUID(kIidIActivation, 0x4D9F4AB8, 0x7D1C, 0x11CF, 0x86, 0x1E, 0x00, 0x20, 0xAF, 0x6E, 0x7C, 0x57);

// HRESULTs of the object model.
inline constexpr HRESULT kRpcEInvalidIpid = static_cast<HRESULT>(0x80010113);
inline constexpr HRESULT kRpcEInvalidObject = static_cast<HRESULT>(0x80010114);
inline constexpr HRESULT kRpcEInvalidObjref = static_cast<HRESULT>(0x8001011D);
inline constexpr HRESULT kRpcEVersionMismatch = static_cast<HRESULT>(0x80010110);
inline constexpr HRESULT kRpcEDisconnected = static_cast<HRESULT>(0x80010108);
inline constexpr HRESULT kCoEObjNotReg = static_cast<HRESULT>(0x800401FB);

// Status values (error_status_t) of the OXID resolver.
inline constexpr std::uint32_t kOrInvalidOxid = 1910;
inline constexpr std::uint32_t kOrInvalidOid = 1911;
inline constexpr std::uint32_t kOrInvalidSet = 1912;

// The protocol sequence this side serves (TCP) and the NTLM authentication
// service.
inline constexpr std::uint16_t kTowerTcp = 0x0007;
inline constexpr std::uint16_t kAuthnWinNt = 0x000A;

}  // namespace dcom

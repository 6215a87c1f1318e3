// Gantrel's entry: the record exchange with the host, the registration of
// every wrapper and API function, and its hooks.

#include "socket_api.h"
#include "wrappers.h"

#include <component/export.h>
#include <component/frame.h>

namespace {

using component::asComponentFunction;
using component::ExportEntry;
using component::Registrar;

constexpr uint32_t kWrapperVersion = 0x03040000;

component::HostSlots hostSlots;

constexpr ExportEntry hashedWrapper(const char* name, ComponentFunction function, uint32_t signatureHash) {
  return {name, function, COMPONENT_LIBRARY_CALL, Registrar::Extended, signatureHash, kWrapperVersion};
}

constexpr ExportEntry wrapper(const char* name, ComponentFunction function) {
  return {name, function, COMPONENT_LIBRARY_CALL, Registrar::Plain, 0, 0};
}

constexpr ExportEntry api(const char* name, ComponentFunction function) {
  return {name, function, COMPONENT_API_FUNCTION, Registrar::Plain, 0, 0};
}

#define GANTREL_WRAPPER(name) wrapper(#name, asComponentFunction(&name))
#define GANTREL_API(name) api(#name, asComponentFunction(&name))

// The host expects this order: every wrapper, then every API function.
const ExportEntry kExports[] = {
    hashedWrapper("syssockfdzero", asComponentFunction(&syssockfdzero), 0xD6D9FDA1),
    hashedWrapper("syssockfdinit", asComponentFunction(&syssockfdinit), 0x09C72D7D),
    hashedWrapper("syssockfdisset", asComponentFunction(&syssockfdisset), 0x25248CA6),
    GANTREL_WRAPPER(syssockshutdown),
    GANTREL_WRAPPER(syssocksetsubnetmask),
    GANTREL_WRAPPER(syssocksetoption),
    GANTREL_WRAPPER(syssocksetipaddress),
    GANTREL_WRAPPER(syssocksendtoudp),
    GANTREL_WRAPPER(syssocksendto),
    GANTREL_WRAPPER(syssocksend),
    GANTREL_WRAPPER(syssockselect),
    GANTREL_WRAPPER(syssockrecvfromudp2),
    GANTREL_WRAPPER(syssockrecvfromudp),
    GANTREL_WRAPPER(syssockrecvfrom),
    GANTREL_WRAPPER(syssockrecv),
    GANTREL_WRAPPER(syssockping),
    GANTREL_WRAPPER(syssocklisten),
    GANTREL_WRAPPER(syssockioctl),
    GANTREL_WRAPPER(syssockinetntoa),
    GANTREL_WRAPPER(syssockinetaddr),
    GANTREL_WRAPPER(syssockgetsubnetmask),
    GANTREL_WRAPPER(syssockgetrecvsizeudp),
    GANTREL_WRAPPER(syssockgetoshandle),
    GANTREL_WRAPPER(syssockgetoption),
    GANTREL_WRAPPER(syssockgethostname),
    GANTREL_WRAPPER(syssockgethostbyname),
    GANTREL_WRAPPER(syssockcreateudp),
    GANTREL_WRAPPER(syssockcreate),
    GANTREL_WRAPPER(syssockconnect),
    GANTREL_WRAPPER(syssockcloseudp),
    GANTREL_WRAPPER(syssockclose),
    GANTREL_WRAPPER(syssockaccept),
    GANTREL_WRAPPER(syssockbind),
    GANTREL_WRAPPER(syssockhtonl),
    GANTREL_WRAPPER(syssockntohs),
    GANTREL_WRAPPER(syssockntohl),
    GANTREL_WRAPPER(syssockhtons),
    GANTREL_API(SysSockFdZero),
    GANTREL_API(SysSockFdInit),
    GANTREL_API(SysSockFdIsset),
    GANTREL_API(SysSockGetSubnetMask),
    GANTREL_API(SysSockSetSubnetMask),
    GANTREL_API(SysSockPing),
    GANTREL_API(SysSockGetOSHandle),
    GANTREL_API(SysSockGetRecvSizeUdp),
    GANTREL_API(SysSockRecvFromUdp),
    GANTREL_API(SysSockSendToUdp),
    GANTREL_API(SysSockCloseUdp),
    GANTREL_API(SysSockCreateUdp),
    GANTREL_API(SysSockSendTo),
    GANTREL_API(SysSockRecvFrom),
    GANTREL_API(SysSockSend),
    GANTREL_API(SysSockRecv),
    GANTREL_API(SysSockIoctl),
    GANTREL_API(SysSockShutdown),
    GANTREL_API(SysSockSelect),
    GANTREL_API(SysSockConnect),
    GANTREL_API(SysSockSetIPAddress),
    GANTREL_API(SysSockAccept),
    GANTREL_API(SysSockListen),
    GANTREL_API(SysSockNtohl),
    GANTREL_API(SysSockNtohs),
    GANTREL_API(SysSockHtonl),
    GANTREL_API(SysSockHtons),
    GANTREL_API(SysSockInetAddr),
    GANTREL_API(SysSockInetNtoa),
    GANTREL_API(SysSockGetHostByName),
    GANTREL_API(SysSockGetHostName),
    GANTREL_API(SysSockBind),
    GANTREL_API(SysSockGetOption),
    GANTREL_API(SysSockSetOption),
    GANTREL_API(SysSockClose),
    GANTREL_API(SysSockCreate),
};

#undef GANTREL_WRAPPER
#undef GANTREL_API

static_assert(std::size(kExports) == 37 + 36);

// Gantrel binds no host function, so an export failure has nowhere to be logged.
uint32_t exportFunctions() { return component::exportFunctions(hostSlots, kExports, SYSSOCK_COMPONENT_ID, nullptr); }

uint32_t importFunctions() { return 0; }

uint32_t getVersion() { return SYSSOCK_COMPONENT_VERSION; }

// The host sends hook 1 to start the platform's socket library and hook 15 to
// stop it. Linux sockets need neither, so every hook is accepted and ignored.
uint32_t hookEntry(uint32_t, uintptr_t, uintptr_t) { return 0; }

}  // namespace

COMPONENT_EXPORT uint32_t ComponentEntry(ComponentInitRecord* record) {
  if (record == nullptr) return 1;
  component::publishEntries(*record,
                            {SYSSOCK_COMPONENT_ID, &exportFunctions, &importFunctions, &getVersion, &hookEntry},
                            hostSlots);
  return 0;
}

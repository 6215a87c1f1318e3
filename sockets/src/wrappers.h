#pragma once

// The library-call wrappers the control program calls, one parameter record each.

#include <sockets/syssock_records.h>

extern "C" {
void syssockcreate(SysSockCreateParameters* p);
void syssockclose(SysSockCloseParameters* p);
void syssocksetoption(SysSockSetOptionParameters* p);
void syssockgetoption(SysSockGetOptionParameters* p);
void syssockbind(SysSockAddressParameters* p);
void syssockconnect(SysSockAddressParameters* p);
void syssocklisten(SysSockListenParameters* p);
void syssockaccept(SysSockAcceptParameters* p);
void syssockshutdown(SysSockShutdownParameters* p);
void syssockioctl(SysSockIoctlParameters* p);
void syssockselect(SysSockSelectParameters* p);
void syssockrecv(SysSockTransferParameters* p);
void syssocksend(SysSockTransferParameters* p);
void syssockrecvfrom(SysSockTransferToParameters* p);
void syssocksendto(SysSockTransferToParameters* p);
void syssockgethostname(SysSockGetHostNameParameters* p);
void syssockgethostbyname(SysSockGetHostByNameParameters* p);
void syssockinetaddr(SysSockInetAddrParameters* p);
void syssockinetntoa(SysSockInetNtoaParameters* p);
void syssockhtons(SysSockShortParameters* p);
void syssockntohs(SysSockShortParameters* p);
void syssockhtonl(SysSockLongParameters* p);
void syssockntohl(SysSockLongParameters* p);
void syssockfdzero(SysSockFdZeroParameters* p);
void syssockfdinit(SysSockFdInitParameters* p);
void syssockfdisset(SysSockFdIssetParameters* p);
void syssockgetoshandle(SysSockGetOSHandleParameters* p);
void syssockcreateudp(SysSockCreateUdpParameters* p);
void syssockcloseudp(SysSockCloseUdpParameters* p);
void syssocksendtoudp(SysSockSendToUdpParameters* p);
void syssockrecvfromudp2(SysSockRecvFromUdp2Parameters* p);
void syssockrecvfromudp(SysSockRecvFromUdpParameters* p);
void syssockgetrecvsizeudp(SysSockGetRecvSizeUdpParameters* p);
void syssockping(SysSockPingParameters* p);
void syssockgetsubnetmask(SysSockGetSubnetMaskParameters* p);
void syssocksetsubnetmask(SysSockAdapterParameters* p);
void syssocksetipaddress(SysSockAdapterParameters* p);
}

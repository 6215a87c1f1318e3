// The library-call wrappers: each reads its parameter record, calls the API
// function with the inputs in order and writes the return value into the
// record's last slot. They add no checks of their own; a null record is
// ignored.

#include "wrappers.h"

#include "socket_api.h"

#include <cstring>

namespace {

// The most characters of a peer text that syssockrecvfromudp carries over.
constexpr size_t kShortPeerTextLength = 30;

void copyShortText(char* to, const char* from) {
  size_t length = strnlen(from, kShortPeerTextLength);
  std::memcpy(to, from, length);
  to[length] = '\0';
}

}  // namespace

extern "C" {

void syssockcreate(SysSockCreateParameters* p) {
  if (p) p->socket = SysSockCreate(p->family, p->type, p->protocol, p->result);
}

void syssockclose(SysSockCloseParameters* p) {
  if (p) p->result = SysSockClose(p->socket);
}

void syssocksetoption(SysSockSetOptionParameters* p) {
  if (p) p->result = SysSockSetOption(p->socket, p->level, p->option, p->value, p->length);
}

void syssockgetoption(SysSockGetOptionParameters* p) {
  if (p) p->result = SysSockGetOption(p->socket, p->level, p->option, p->value, p->length);
}

void syssockbind(SysSockAddressParameters* p) {
  if (p) p->result = SysSockBind(p->socket, p->address, p->length);
}

void syssockconnect(SysSockAddressParameters* p) {
  if (p) p->result = SysSockConnect(p->socket, p->address, p->length);
}

void syssocklisten(SysSockListenParameters* p) {
  if (p) p->result = SysSockListen(p->socket, p->backlog);
}

void syssockaccept(SysSockAcceptParameters* p) {
  if (p) p->accepted = SysSockAccept(p->socket, p->address, p->length, p->result);
}

void syssockshutdown(SysSockShutdownParameters* p) {
  if (p) p->result = SysSockShutdown(p->socket, p->how);
}

void syssockioctl(SysSockIoctlParameters* p) {
  if (p) p->result = SysSockIoctl(p->socket, p->command, p->argument);
}

void syssockselect(SysSockSelectParameters* p) {
  if (p) p->result = SysSockSelect(p->highest, p->read, p->write, p->error, p->timeout, p->readyCount);
}

void syssockrecv(SysSockTransferParameters* p) {
  if (p) p->count = SysSockRecv(p->socket, p->buffer, p->size, p->flags, p->result);
}

void syssocksend(SysSockTransferParameters* p) {
  if (p) p->count = SysSockSend(p->socket, p->buffer, p->size, p->flags, p->result);
}

void syssockrecvfrom(SysSockTransferToParameters* p) {
  if (p) p->count = SysSockRecvFrom(p->socket, p->buffer, p->size, p->flags, p->address, p->addressLength, p->result);
}

void syssocksendto(SysSockTransferToParameters* p) {
  if (p) p->count = SysSockSendTo(p->socket, p->buffer, p->size, p->flags, p->address, p->addressLength, p->result);
}

void syssockgethostname(SysSockGetHostNameParameters* p) {
  if (p) p->result = SysSockGetHostName(p->buffer, p->size);
}

void syssockgethostbyname(SysSockGetHostByNameParameters* p) {
  if (p) p->result = SysSockGetHostByName(p->name, p->info);
}

void syssockinetaddr(SysSockInetAddrParameters* p) {
  if (p) p->result = SysSockInetAddr(p->text, p->address);
}

void syssockinetntoa(SysSockInetNtoaParameters* p) {
  if (p) p->result = SysSockInetNtoa(p->address, p->buffer, p->size);
}

void syssockhtons(SysSockShortParameters* p) {
  if (p) p->result = SysSockHtons(p->value);
}

void syssockntohs(SysSockShortParameters* p) {
  if (p) p->result = SysSockNtohs(p->value);
}

void syssockhtonl(SysSockLongParameters* p) {
  if (p) p->result = SysSockHtonl(p->value);
}

void syssockntohl(SysSockLongParameters* p) {
  if (p) p->result = SysSockNtohl(p->value);
}

void syssockfdzero(SysSockFdZeroParameters* p) {
  if (p == nullptr) return;
  SysSockFdZero(p->set);
  p->result = 0;
}

void syssockfdinit(SysSockFdInitParameters* p) {
  if (p == nullptr) return;
  SysSockFdInit(p->socket, p->set);
  p->result = 0;
}

void syssockfdisset(SysSockFdIssetParameters* p) {
  if (p) p->isSet = SysSockFdIsset(p->socket, p->set) != 0 ? 1 : 0;
}

void syssockgetoshandle(SysSockGetOSHandleParameters* p) {
  if (p) p->handle = SysSockGetOSHandle(p->socket);
}

void syssockcreateudp(SysSockCreateUdpParameters* p) {
  if (p) p->socket = SysSockCreateUdp(p->ignored, static_cast<uint16_t>(p->port), p->result);
}

void syssockcloseudp(SysSockCloseUdpParameters* p) {
  if (p) p->result = SysSockCloseUdp(p->socket);
}

void syssocksendtoudp(SysSockSendToUdpParameters* p) {
  if (p) p->count = SysSockSendToUdp(p->socket, static_cast<uint16_t>(p->port), p->address, p->data, p->size, p->result);
}

void syssockrecvfromudp2(SysSockRecvFromUdp2Parameters* p) {
  if (p) p->count = SysSockRecvFromUdp(p->socket, p->buffer, p->size, p->peer, p->result);
}

// For callers whose peer record has no port: the call goes through a full
// record, and only address, text and byte count come back.
void syssockrecvfromudp(SysSockRecvFromUdpParameters* p) {
  if (p == nullptr) return;
  UdpShortPeerInfo* caller = p->peer;
  if (caller == nullptr) {
    p->count = SysSockRecvFromUdp(p->socket, p->buffer, p->size, nullptr, p->result);
    return;
  }
  UdpPeerInfo peer{};
  peer.address = caller->address;
  copyShortText(peer.text, caller->text);
  peer.count = caller->count;
  p->count = SysSockRecvFromUdp(p->socket, p->buffer, p->size, &peer, p->result);
  caller->address = peer.address;
  copyShortText(caller->text, peer.text);
  caller->count = peer.count;
}

void syssockgetrecvsizeudp(SysSockGetRecvSizeUdpParameters* p) {
  if (p) p->count = SysSockGetRecvSizeUdp(p->socket, p->waitMilliseconds, p->result);
}

void syssockping(SysSockPingParameters* p) {
  if (p) p->result = SysSockPing(p->host, p->timeoutMilliseconds, p->replyTime);
}

void syssockgetsubnetmask(SysSockGetSubnetMaskParameters* p) {
  if (p) p->result = SysSockGetSubnetMask(p->address, p->buffer, p->size);
}

void syssocksetsubnetmask(SysSockAdapterParameters* p) {
  if (p) p->result = SysSockSetSubnetMask(p->ignored1, p->ignored2);
}

void syssocksetipaddress(SysSockAdapterParameters* p) {
  if (p) p->result = SysSockSetIPAddress(p->ignored1, p->ignored2);
}

}  // extern "C"

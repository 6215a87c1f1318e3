// Every library-call wrapper through its parameter record, as the control
// program calls it through the host: one table, in an order in which each
// case can build on the sockets the earlier ones made.

#include "loopback.h"

#include <host/runtime_host.h>
#include <sockets/syssock_records.h>

#include <unistd.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace {

constexpr uint32_t kSentinel = 0xCCCCCCCCu;

bool icmpAvailable() {
  for (int type : {SOCK_DGRAM, SOCK_RAW}) {
    int fd = socket(AF_INET, type, IPPROTO_ICMP);
    if (fd >= 0) {
      close(fd);
      return true;
    }
  }
  return false;
}

// The bytes of an object, for checks of what a wrapper left untouched.
template <typename Record>
std::string bytesOf(const Record& record, size_t from, size_t to) {
  std::string bytes(to - from, '\0');
  std::memcpy(bytes.data(), reinterpret_cast<const char*>(&record) + from, to - from);
  return bytes;
}

class Wrappers : public ::testing::Test {
 protected:
  void SetUp() override {
    host = std::make_unique<host::RuntimeHost>();
    ASSERT_NE(host->start(GANTREL_LIBRARY_PATH), nullptr) << host->loadError();
  }
  void TearDown() override {
    EXPECT_TRUE(host->unloadAll()) << "libgantrel.so must leave the process";
    host.reset();
  }
  std::unique_ptr<host::RuntimeHost> host;
};

TEST_F(Wrappers, EachWrapperCallsItsFunctionWithTheRecordsSlots) {
  // Sockets the cases make and use.
  SocketHandle listener = INVALID_SOCKET_HANDLE, client = INVALID_SOCKET_HANDLE, server = INVALID_SOCKET_HANDLE;
  SocketHandle receiver = INVALID_SOCKET_HANDLE, sender = INVALID_SOCKET_HANDLE;
  uint16_t udpPort = 0;
  uint32_t result = kSentinel;
  const uint32_t one = 1;
  char buffer[64] = {};
  const bool icmp = icmpAvailable();

  SysSockCreateParameters create;
  SysSockCreateParameters createBadFamily;
  SysSockSetOptionParameters setOption;
  SysSockGetOptionParameters getOption;
  uint32_t optionValue = 0;
  int32_t optionLength = 4;
  SocketAddress address = gantrel_test::loopbackAddress(0);
  SysSockAddressParameters bind, connect;
  SysSockListenParameters listen;
  SocketAddress peer{};
  int32_t peerLength = 0;
  SysSockAcceptParameters accept;
  SysSockTransferParameters send, recv;
  SocketSet readSet{};
  SocketTimeout wait{5, 0};
  int32_t ready = 0;
  SysSockSelectParameters select;
  uint32_t ioctlArgument = 0;
  SysSockIoctlParameters ioctl;
  SysSockShutdownParameters shutdown;
  SysSockGetOSHandleParameters osHandle;
  SysSockCreateUdpParameters createUdp, createSender;
  SysSockTransferToParameters sendTo, recvFrom;
  SocketAddress from{};
  SysSockSendToUdpParameters sendToUdp;
  SysSockGetRecvSizeUdpParameters recvSize;
  UdpPeerInfo peerInfo;
  SysSockRecvFromUdp2Parameters recvFromUdp2;
  struct {
    UdpShortPeerInfo peer;
    uint32_t after;
  } shortPeer;
  SysSockRecvFromUdpParameters recvFromUdp;
  SysSockGetHostNameParameters hostName;
  HostInfo hostInfo{};
  SysSockGetHostByNameParameters hostByName;
  uint32_t inetAddress = 0;
  SysSockInetAddrParameters inetAddr;
  SysSockInetNtoaParameters inetNtoa;
  struct {
    SysSockShortParameters record;
    uint32_t after;
  } htons_, ntohs_;
  SysSockLongParameters htonl_, ntohl_;
  SocketSet fullSet{};
  for (SocketHandle h = 0; h < SOCKET_SET_CAPACITY; ++h) fullSet.handles[h] = 1000 + h;
  fullSet.count = SOCKET_SET_CAPACITY;
  SocketSet smallSet{};
  SysSockFdZeroParameters fdZero;
  SysSockFdInitParameters fdInitFull, fdInit;
  SysSockFdIssetParameters fdIsset, fdIssetAbsent;
  uint32_t replyTime = 0;
  SysSockPingParameters ping;
  SysSockGetSubnetMaskParameters subnetMask;
  SysSockAdapterParameters setSubnetMask, setIpAddress;
  SysSockCloseUdpParameters closeReceiver, closeSender;
  SysSockCloseParameters closeClient, closeServer, closeListener;

  struct Case {
    const char* wrapper;
    void* record;
    std::function<void()> prepare;  // fills the record just before the call
    std::function<void()> verify;   // return slot and side effects
  };
  const Case cases[] = {
      {"syssockcreate", &create,
       [&] {
         std::memset(&create, 0xCC, sizeof create);
         create.family = SYSSOCK_AF_INET;  // the slot's upper bytes stay 0xCC: only 16 bits are read
         create.type = SYSSOCK_SOCK_STREAM;
         create.protocol = 0;
         create.result = &result;
       },
       [&] {
         listener = create.socket;
         EXPECT_NE(listener, INVALID_SOCKET_HANDLE);
         EXPECT_EQ(result, RESULT_OK);
       }},
      {"syssockcreate", &createBadFamily,
       [&] { createBadFamily = {-1, SYSSOCK_SOCK_STREAM, 0, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(createBadFamily.socket, INVALID_SOCKET_HANDLE) << "family 0xFFFF is -1, sign-extended";
         EXPECT_EQ(result, RESULT_SOCK_FAMILY_UNSUPPORTED);
       }},
      {"syssocksetoption", &setOption,
       [&] { setOption = {listener, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_REUSEADDR, &one, 4, kSentinel}; },
       [&] { EXPECT_EQ(setOption.result, RESULT_OK); }},
      {"syssockgetoption", &getOption,
       [&] {
         getOption = {listener, SYSSOCK_SOL_SOCKET, SYSSOCK_SO_REUSEADDR, &optionValue, &optionLength, kSentinel};
       },
       [&] {
         EXPECT_EQ(getOption.result, RESULT_OK);
         EXPECT_EQ(optionValue, 1u);
       }},
      {"syssockbind", &bind, [&] { bind = {listener, &address, 16, kSentinel}; },
       [&] {
         EXPECT_EQ(bind.result, RESULT_OK);
         EXPECT_NE(gantrel_test::portOf(listener), 0);
       }},
      {"syssocklisten", &listen, [&] { listen = {listener, 4, kSentinel}; },
       [&] { EXPECT_EQ(listen.result, RESULT_OK); }},
      {"syssockconnect", &connect,
       [&] {
         client = ::socket(AF_INET, SOCK_STREAM, 0);
         address = gantrel_test::loopbackAddress(gantrel_test::portOf(listener));
         connect = {client, &address, 16, kSentinel};
       },
       [&] { EXPECT_EQ(connect.result, RESULT_OK); }},
      {"syssockaccept", &accept, [&] { accept = {listener, &peer, &peerLength, &result, kSentinel}; },
       [&] {
         server = accept.accepted;
         EXPECT_NE(server, INVALID_SOCKET_HANDLE);
         EXPECT_EQ(result, RESULT_OK);
         EXPECT_EQ(peerLength, 16);
         EXPECT_EQ(ntohs(peer.port), gantrel_test::portOf(client));
       }},
      {"syssocksend", &send, [&] { send = {client, const_cast<char*>("hello"), 5, 0, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(send.count, 5u);
         EXPECT_EQ(result, RESULT_OK);
       }},
      {"syssockselect", &select,
       [&] {
         readSet = SocketSet{1, {server}};
         select = {0, &readSet, nullptr, nullptr, &wait, &ready, kSentinel};
       },
       [&] {
         EXPECT_EQ(select.result, RESULT_OK);
         EXPECT_EQ(ready, 1);
         EXPECT_EQ(readSet.count, 1u);
       }},
      {"syssockioctl", &ioctl, [&] { ioctl = {server, SYSSOCK_IOCTL_BYTES_READABLE, &ioctlArgument, kSentinel}; },
       [&] {
         EXPECT_EQ(ioctl.result, RESULT_OK);
         EXPECT_EQ(ioctlArgument, 5u);
       }},
      {"syssockrecv", &recv, [&] { recv = {server, buffer, sizeof buffer, 0, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(recv.count, 5u);
         EXPECT_EQ(std::string(buffer, 5), "hello");
       }},
      {"syssockshutdown", &shutdown, [&] { shutdown = {client, SYSSOCK_SD_SEND, kSentinel}; },
       [&] {
         EXPECT_EQ(shutdown.result, RESULT_OK);
         EXPECT_EQ(::recv(static_cast<int>(server), buffer, 1, 0), 0) << "the peer sees the end";
       }},
      {"syssockgetoshandle", &osHandle, [&] { osHandle = {server, kSentinel}; },
       [&] { EXPECT_EQ(osHandle.handle, server); }},
      {"syssockcreateudp", &createUdp,
       [&] {
         udpPort = gantrel_test::portOf(gantrel_test::makeBoundUdp());
         createUdp = {0xFFFFFFFF, 0xABCD0000u | udpPort, &result, kSentinel};  // only the low 16 bits are the port
       },
       [&] {
         receiver = createUdp.socket;
         EXPECT_EQ(result, RESULT_OK);
         EXPECT_EQ(gantrel_test::portOf(receiver), udpPort);
       }},
      {"syssockcreateudp", &createSender, [&] { createSender = {0, 0, &result, kSentinel}; },
       [&] {
         sender = createSender.socket;
         EXPECT_NE(sender, INVALID_SOCKET_HANDLE);
       }},
      {"syssocksendto", &sendTo,
       [&] {
         address = gantrel_test::loopbackAddress(udpPort);
         sendTo = {sender, const_cast<char*>("one"), 3, 0, &address, 16, &result, kSentinel};
       },
       [&] { EXPECT_EQ(sendTo.count, 3u); }},
      {"syssockrecvfrom", &recvFrom, [&] { recvFrom = {receiver, buffer, sizeof buffer, 0, &from, 16, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(recvFrom.count, 3u);
         EXPECT_EQ(ntohs(from.port), gantrel_test::portOf(sender));
       }},
      {"syssocksendtoudp", &sendToUdp,
       [&] { sendToUdp = {sender, 0xABCD0000u | udpPort, "127.0.0.1", "two!", 4, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(sendToUdp.count, 4u);
         EXPECT_EQ(result, RESULT_OK);
       }},
      {"syssockgetrecvsizeudp", &recvSize, [&] { recvSize = {receiver, 2000, &result, kSentinel}; },
       [&] {
         EXPECT_EQ(recvSize.count, 4u);
         EXPECT_EQ(result, RESULT_OK);
       }},
      {"syssockrecvfromudp2", &recvFromUdp2,
       [&] {
         std::memset(&peerInfo, 0xCC, sizeof peerInfo);
         recvFromUdp2 = {receiver, buffer, sizeof buffer, &peerInfo, &result, kSentinel};
       },
       [&] {
         EXPECT_EQ(recvFromUdp2.count, 4u);
         EXPECT_STREQ(peerInfo.text, "127.0.0.1");
         EXPECT_EQ(peerInfo.count, 4u);
         EXPECT_EQ(peerInfo.port, gantrel_test::portOf(sender)) << "the port follows the byte count";
       }},
      {"syssockrecvfromudp", &recvFromUdp,
       [&] {
         ::sendto(static_cast<int>(sender), "three", 5, 0, reinterpret_cast<sockaddr*>(&address), sizeof address);
         std::memset(&shortPeer, 0xCC, sizeof shortPeer);
         recvFromUdp = {receiver, buffer, sizeof buffer, &shortPeer.peer, &result, kSentinel};
       },
       [&] {
         EXPECT_EQ(recvFromUdp.count, 5u);
         EXPECT_EQ(shortPeer.peer.address, htonl(INADDR_LOOPBACK));
         EXPECT_STREQ(shortPeer.peer.text, "127.0.0.1");
         EXPECT_EQ(shortPeer.peer.count, 5u);
         EXPECT_EQ(shortPeer.after, kSentinel) << "the four bytes after the count stay untouched";
       }},
      {"syssockgethostname", &hostName, [&] { hostName = {buffer, sizeof buffer, kSentinel}; },
       [&] {
         char expected[64] = {};
         gethostname(expected, sizeof expected);
         EXPECT_EQ(hostName.result, RESULT_OK);
         EXPECT_STREQ(buffer, expected);
       }},
      {"syssockgethostbyname", &hostByName, [&] { hostByName = {"localhost", &hostInfo, kSentinel}; },
       [&] {
         ASSERT_EQ(hostByName.result, RESULT_OK);
         uint32_t first;
         std::memcpy(&first, hostInfo.addresses[0], 4);
         EXPECT_EQ(first, htonl(INADDR_LOOPBACK));
       }},
      {"syssockinetaddr", &inetAddr, [&] { inetAddr = {"10.0.0.2", &inetAddress, kSentinel}; },
       [&] {
         EXPECT_EQ(inetAddr.result, RESULT_OK);
         EXPECT_EQ(inetAddress, htonl(0x0A000002));
       }},
      {"syssockinetntoa", &inetNtoa,
       [&] {
         std::memset(buffer, 'x', sizeof buffer);
         inetNtoa = {&inetAddress, buffer, 4, kSentinel};
       },
       [&] {
         EXPECT_EQ(inetNtoa.result, RESULT_OK);
         EXPECT_EQ(std::string(buffer, 5), std::string("10.\0x", 5));
       }},
      {"syssockhtons", &htons_.record,
       [&] {
         std::memset(&htons_, 0xCC, sizeof htons_);
         htons_.record.value = 0x1234;
       },
       [&] {
         EXPECT_EQ(bytesOf(htons_, 0, 4), std::string("\x34\x12\x12\x34", 4)) << "input, then its swap";
         EXPECT_EQ(htons_.after, kSentinel);
       }},
      {"syssockntohs", &ntohs_.record,
       [&] {
         std::memset(&ntohs_, 0xCC, sizeof ntohs_);
         ntohs_.record.value = 0xABCD;
       },
       [&] {
         EXPECT_EQ(ntohs_.record.result, 0xCDAB);
         EXPECT_EQ(ntohs_.after, kSentinel);
       }},
      {"syssockhtonl", &htonl_, [&] { htonl_ = {0x12345678, kSentinel}; },
       [&] { EXPECT_EQ(htonl_.result, 0x78563412u); }},
      {"syssockntohl", &ntohl_, [&] { ntohl_ = {0x78563412, kSentinel}; },
       [&] { EXPECT_EQ(ntohl_.result, 0x12345678u); }},
      {"syssockfdinit", &fdInitFull, [&] { fdInitFull = {7, &fullSet, kSentinel}; },
       [&] {
         EXPECT_EQ(fdInitFull.result, 0u) << "also when the set is full";
         EXPECT_EQ(fullSet.count, 64u);
       }},
      {"syssockfdzero", &fdZero, [&] { fdZero = {&fullSet, kSentinel}; },
       [&] {
         EXPECT_EQ(fdZero.result, 0u);
         EXPECT_EQ(fullSet.count, 0u);
       }},
      {"syssockfdinit", &fdInit, [&] { fdInit = {7, &smallSet, kSentinel}; },
       [&] {
         EXPECT_EQ(fdInit.result, 0u);
         EXPECT_EQ(smallSet.count, 1u);
         EXPECT_EQ(smallSet.handles[0], 7u);
       }},
      {"syssockfdisset", &fdIsset,
       [&] {
         std::memset(&fdIsset, 0xCC, sizeof fdIsset);
         fdIsset.socket = 7;
         fdIsset.set = &smallSet;
       },
       [&] {
         const size_t slot = offsetof(SysSockFdIssetParameters, isSet);
         EXPECT_EQ(bytesOf(fdIsset, slot, slot + 4), std::string("\x01\xCC\xCC\xCC", 4)) << "one byte written";
       }},
      {"syssockfdisset", &fdIssetAbsent,
       [&] {
         std::memset(&fdIssetAbsent, 0xCC, sizeof fdIssetAbsent);
         fdIssetAbsent.socket = 8;
         fdIssetAbsent.set = &smallSet;
       },
       [&] {
         const size_t slot = offsetof(SysSockFdIssetParameters, isSet);
         EXPECT_EQ(bytesOf(fdIssetAbsent, slot, slot + 4), std::string("\x00\xCC\xCC\xCC", 4));
       }},
      {"syssockping", &ping, [&] { ping = {"127.0.0.1", 2000, &replyTime, kSentinel}; },
       [&] {
         if (icmp) {
           EXPECT_EQ(ping.result, RESULT_OK);
           EXPECT_GE(replyTime, 1u);
         } else {
           EXPECT_EQ(ping.result, RESULT_FAILED) << "no ICMP for this process";
         }
       }},
      {"syssockgetsubnetmask", &subnetMask, [&] { subnetMask = {"127.0.0.1", buffer, sizeof buffer, kSentinel}; },
       [&] {
         EXPECT_EQ(subnetMask.result, RESULT_OK);
         EXPECT_STREQ(buffer, "255.0.0.0");
       }},
      {"syssocksetsubnetmask", &setSubnetMask, [&] { setSubnetMask = {"a", "b", kSentinel}; },
       [&] { EXPECT_EQ(setSubnetMask.result, RESULT_NOT_IMPLEMENTED); }},
      {"syssocksetipaddress", &setIpAddress, [&] { setIpAddress = {"a", "b", kSentinel}; },
       [&] { EXPECT_EQ(setIpAddress.result, RESULT_OK); }},
      {"syssockcloseudp", &closeReceiver, [&] { closeReceiver = {receiver, kSentinel}; },
       [&] { EXPECT_EQ(closeReceiver.result, RESULT_OK); }},
      {"syssockcloseudp", &closeSender, [&] { closeSender = {sender, kSentinel}; },
       [&] { EXPECT_EQ(closeSender.result, RESULT_OK); }},
      {"syssockclose", &closeClient, [&] { closeClient = {client, kSentinel}; },
       [&] { EXPECT_EQ(closeClient.result, RESULT_OK); }},
      {"syssockclose", &closeServer, [&] { closeServer = {server, kSentinel}; },
       [&] { EXPECT_EQ(closeServer.result, RESULT_OK); }},
      {"syssockclose", &closeListener, [&] { closeListener = {listener, kSentinel}; },
       [&] {
         EXPECT_EQ(closeListener.result, RESULT_OK);
         EXPECT_EQ(::close(static_cast<int>(listener)), -1) << "closed";
       }},
  };

  std::set<std::string> covered;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wrapper);
    result = kSentinel;
    c.prepare();
    ASSERT_TRUE(host->callWrapper(c.wrapper, c.record));
    c.verify();
    covered.insert(c.wrapper);
  }
  std::set<std::string> registered;
  for (const host::Registration& r : host->registrations()) {
    if (r.libraryFlag == COMPONENT_LIBRARY_CALL) registered.insert(r.name);
  }
  EXPECT_EQ(registered.size(), 37u);
  EXPECT_EQ(covered, registered) << "every wrapper is in the table";
}

TEST_F(Wrappers, ANullRecordIsIgnored) {
  for (const host::Registration& r : host->registrations()) {
    if (r.libraryFlag != COMPONENT_LIBRARY_CALL) continue;
    SCOPED_TRACE(r.name);
    EXPECT_TRUE(host->callWrapper(r.name, nullptr));
  }
}

}  // namespace

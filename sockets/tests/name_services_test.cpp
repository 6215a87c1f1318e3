// Host names, address texts and byte order. The only name looked up here is
// "localhost", which the system answers without asking the network.

#include "loopback.h"

#include <unistd.h>

#include <cstring>
#include <string>

namespace {

TEST(NameServices, ResolvesLocalhostIntoThisThreadsStorage) {
  HostInfo info;
  std::memset(&info, 0xCC, sizeof info);
  ASSERT_EQ(SysSockGetHostByName("localhost", &info), RESULT_OK);
  ASSERT_NE(info.name, nullptr);
  EXPECT_STREQ(info.name, "localhost");
  EXPECT_EQ(info.addressType, SYSSOCK_AF_INET);
  EXPECT_EQ(info.addressLength, 4);
  ASSERT_NE(info.addresses, nullptr);
  ASSERT_NE(info.addresses[0], nullptr);
  uint32_t first;
  std::memcpy(&first, info.addresses[0], 4);
  EXPECT_EQ(first, htonl(INADDR_LOOPBACK));
  ASSERT_NE(info.aliases, nullptr) << "an alias list, even if empty";

  EXPECT_EQ(SysSockGetHostByName(nullptr, &info), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockGetHostByName("localhost", nullptr), RESULT_BAD_PARAMETER);
}

TEST(NameServices, GetHostNameGivesThisMachinesName) {
  char expected[256] = {};
  ASSERT_EQ(gethostname(expected, sizeof expected), 0);
  char buffer[256];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_EQ(SysSockGetHostName(buffer, sizeof buffer), RESULT_OK);
  EXPECT_STREQ(buffer, expected);
  EXPECT_EQ(SysSockGetHostName(buffer, 1), RESULT_FAILED) << "no room for the name";
  EXPECT_EQ(SysSockGetHostName(buffer, 0), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockGetHostName(nullptr, 16), RESULT_BAD_PARAMETER);
}

TEST(NameServices, InetAddrConvertsDottedTexts) {
  struct Case {
    const char* text;
    uint32_t address;  // network byte order
    uint32_t result;
  };
  const Case cases[] = {
      {"127.0.0.1", htonl(0x7F000001), RESULT_OK},
      {"192.168.1.20", htonl(0xC0A80114), RESULT_OK},
      {"255.255.255.255", 0xFFFFFFFFu, RESULT_OK},
      {"0.0.0.0", 0, RESULT_OK},
      {"10.1", htonl(0x0A000001), RESULT_OK},  // the classic short form
      {"0xffffffff", 0xFFFFFFFFu, RESULT_FAILED},  // the failure value from another text
      {"", 0xFFFFFFFFu, RESULT_FAILED},
      {"300.1.1.1", 0xFFFFFFFFu, RESULT_FAILED},
      {"host.example", 0xFFFFFFFFu, RESULT_FAILED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint32_t address = 0x12345678;
    EXPECT_EQ(SysSockInetAddr(c.text, &address), c.result);
    EXPECT_EQ(address, c.address);
  }
  uint32_t address = 0x12345678;
  EXPECT_EQ(SysSockInetAddr(nullptr, &address), RESULT_BAD_PARAMETER);
  EXPECT_EQ(address, 0x12345678u);
  EXPECT_EQ(SysSockInetAddr("1.2.3.4", nullptr), RESULT_BAD_PARAMETER);
}

TEST(NameServices, InetNtoaWritesAtMostTheBufferAndEndsItWithATerminator) {
  const uint32_t address = htonl(0x7F000001);
  struct Case {
    uint32_t size;
    const char* expected;
  };
  const Case cases[] = {{16, "127.0.0.1"}, {10, "127.0.0.1"}, {9, "127.0.0."}, {4, "127"}, {1, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[24];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(SysSockInetNtoa(&address, buffer, c.size), RESULT_OK);
    EXPECT_STREQ(buffer, c.expected);
    EXPECT_EQ(buffer[c.size - 1], '\0') << "the last byte is always a terminator";
    EXPECT_EQ(buffer[c.size], 'x') << "nothing beyond the buffer";
  }
  char buffer[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(SysSockInetNtoa(&address, buffer, 0), RESULT_BAD_PARAMETER);
  EXPECT_EQ(std::string(buffer, 4), "abcd") << "size 0: nothing written";
  EXPECT_EQ(SysSockInetNtoa(nullptr, buffer, 4), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockInetNtoa(&address, nullptr, 4), RESULT_BAD_PARAMETER);
}

TEST(NameServices, ByteOrderPutsTheMostSignificantByteFirst) {
  uint16_t shortValue = SysSockHtons(0x1234);
  uint32_t longValue = SysSockHtonl(0x12345678);
  unsigned char bytes[4];
  std::memcpy(bytes, &shortValue, 2);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[1], 0x34);
  std::memcpy(bytes, &longValue, 4);
  EXPECT_EQ(bytes[0], 0x12);
  EXPECT_EQ(bytes[3], 0x78);
  EXPECT_EQ(SysSockNtohs(shortValue), 0x1234);
  EXPECT_EQ(SysSockNtohl(longValue), 0x12345678u);
}

}  // namespace

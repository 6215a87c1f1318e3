// Ping of the loopback address and the subnet mask of a local address.

#include "loopback.h"

#include <unistd.h>

#include <cstring>
#include <string>

namespace {

// Why this process cannot send ICMP echoes, or empty when it can.
std::string icmpUnavailableReason() {
  for (int type : {SOCK_DGRAM, SOCK_RAW}) {
    int fd = socket(AF_INET, type, IPPROTO_ICMP);
    if (fd >= 0) {
      close(fd);
      return {};
    }
  }
  return "ICMP is unavailable to this process: the system allows it no ICMP datagram socket "
         "(net.ipv4.ping_group_range) and no raw socket (CAP_NET_RAW)";
}

TEST(Ping, TheLoopbackAddressAnswersWithAReplyTimeOfAtLeastOne) {
  std::string reason = icmpUnavailableReason();
  if (!reason.empty()) GTEST_SKIP() << reason;
  for (const char* host : {"127.0.0.1", "localhost"}) {
    SCOPED_TRACE(host);
    uint32_t replyTime = 0xDEAD;
    EXPECT_EQ(SysSockPing(host, 2000, &replyTime), RESULT_OK);
    EXPECT_GE(replyTime, 1u);
    EXPECT_LE(replyTime, 2000u);
  }
  EXPECT_EQ(SysSockPing("127.0.0.1", 2000, nullptr), RESULT_OK) << "the reply time is optional";
}

TEST(Ping, ArgumentsAreCheckedBeforeAnythingIsSent) {
  uint32_t replyTime = 0xDEAD;
  EXPECT_EQ(SysSockPing(nullptr, 100, &replyTime), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockPing("127.0.0.1", 0, &replyTime), RESULT_TIMEOUT);
  EXPECT_EQ(replyTime, 0xDEADu);
}

TEST(SubnetMask, OfTheLoopbackAddressComesFromTheInterfaceList) {
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_EQ(SysSockGetSubnetMask("127.0.0.1", buffer, sizeof buffer), RESULT_OK);
  EXPECT_STREQ(buffer, "255.0.0.0");

  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_EQ(SysSockGetSubnetMask("127.0.0.1", buffer, 4), RESULT_OK);
  EXPECT_STREQ(buffer, "255");
  EXPECT_EQ(buffer[4], 'x');
}

TEST(SubnetMask, AnAddressNoInterfaceHoldsFailsAndLeavesTheBuffer) {
  char buffer[8] = "keep";
  // 198.51.100.0/24 is reserved for documentation; the text is only compared.
  EXPECT_EQ(SysSockGetSubnetMask("198.51.100.119", buffer, sizeof buffer), RESULT_FAILED);
  EXPECT_EQ(SysSockGetSubnetMask("127.000.000.001", buffer, sizeof buffer), RESULT_FAILED)
      << "texts are compared as they stand";
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(SysSockGetSubnetMask("127.0.0.1", buffer, 0), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockGetSubnetMask("127.0.0.1", nullptr, 8), RESULT_BAD_PARAMETER);
  EXPECT_EQ(SysSockGetSubnetMask(nullptr, buffer, 8), RESULT_BAD_PARAMETER);
  EXPECT_STREQ(buffer, "keep");
}

TEST(AdapterConfiguration, ChangesNothing) {
  EXPECT_EQ(SysSockSetSubnetMask("eth0", "255.255.255.0"), RESULT_NOT_IMPLEMENTED);
  EXPECT_EQ(SysSockSetIPAddress("eth0", "10.0.0.1"), RESULT_OK);
  EXPECT_EQ(SysSockSetIPAddress(nullptr, nullptr), RESULT_OK);
}

}  // namespace

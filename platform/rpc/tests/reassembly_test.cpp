#include "rpc/reassembly.h"

#include <gtest/gtest.h>

namespace rpc {
namespace {

struct Fragment {
  uint32_t callId;
  uint8_t flags;
  uint16_t opnum;
  std::vector<uint8_t> stub;
};

constexpr uint8_t kFirst = pfc::kFirstFragment;
constexpr uint8_t kLast = pfc::kLastFragment;
constexpr uint8_t kOnly = kFirst | kLast;

// Feeds the fragments and returns the status of each.
std::vector<ReassemblyStatus> feed(Reassembler& reassembler, const std::vector<Fragment>& fragments,
                                   std::vector<IncomingCall>* completed = nullptr) {
  std::vector<ReassemblyStatus> statuses;
  for (const auto& fragment : fragments) {
    Header header;
    header.callId = fragment.callId;
    header.flags = fragment.flags;
    RequestBody request;
    request.opnum = fragment.opnum;
    auto result = reassembler.add(header, request, fragment.stub);
    statuses.push_back(result.status);
    if (result.call && completed) completed->push_back(std::move(*result.call));
  }
  return statuses;
}

using S = ReassemblyStatus;

TEST(Reassembler, FollowsTheFragmentRules) {
  struct Case {
    const char* what;
    std::vector<Fragment> fragments;
    std::vector<S> expected;
  };
  const std::vector<Case> cases = {
      {"single fragment", {{1, kOnly, 0, {1}}}, {S::Complete}},
      {"three fragments", {{1, kFirst, 0, {1}}, {1, 0, 0, {2}}, {1, kLast, 0, {3}}},
       {S::NeedMore, S::NeedMore, S::Complete}},
      {"interleaved calls", {{1, kFirst, 0, {1}}, {2, kFirst, 0, {2}}, {2, kLast, 0, {2}}, {1, kLast, 0, {1}}},
       {S::NeedMore, S::NeedMore, S::Complete, S::Complete}},
      {"middle fragment without a first", {{4, 0, 0, {1}}}, {S::ProtocolError}},
      {"first fragment twice", {{1, kFirst, 0, {1}}, {1, kFirst, 0, {1}}, {1, kLast, 0, {1}}},
       {S::NeedMore, S::ProtocolError, S::ProtocolError}},
      {"opnum changes between fragments", {{1, kFirst, 0, {1}}, {1, kLast, 1, {1}}},
       {S::NeedMore, S::ProtocolError}},
      {"call beyond the size limit", {{1, kFirst, 0, std::vector<uint8_t>(6)}, {1, 0, 0, std::vector<uint8_t>(6)},
                                      {1, kLast, 0, {1}}},
       {S::NeedMore, S::TooLarge, S::ProtocolError}},
      {"single fragment beyond the size limit", {{1, kOnly, 0, std::vector<uint8_t>(11)}}, {S::TooLarge}},
      {"interleaved calls beyond the shared size limit",
       {{1, kFirst, 0, std::vector<uint8_t>(6)}, {2, kFirst, 0, std::vector<uint8_t>(6)}, {1, kLast, 0, {1, 2, 3, 4}},
        {3, kFirst, 0, std::vector<uint8_t>(6)}},
       {S::NeedMore, S::TooLarge, S::Complete, S::NeedMore}},
      {"more partial calls than allowed", {{1, kFirst, 0, {}}, {2, kFirst, 0, {}}, {3, kFirst, 0, {}}, {4, kOnly, 0, {}}},
       {S::NeedMore, S::NeedMore, S::TooManyCalls, S::Complete}},
  };
  for (const auto& c : cases) {
    Reassembler reassembler(10, 2);
    EXPECT_EQ(feed(reassembler, c.fragments), c.expected) << c.what;
  }
}

TEST(Reassembler, JoinsStubsInOrderAndForgetsOrphanedCalls) {
  Reassembler reassembler(100, 4);
  std::vector<IncomingCall> calls;
  feed(reassembler, {{7, kFirst, 3, {1, 2}}, {8, kFirst, 3, {9}}, {7, 0, 3, {3}}, {7, kLast, 3, {4, 5}}}, &calls);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].callId, 7u);
  EXPECT_EQ(calls[0].opnum, 3);
  EXPECT_EQ(calls[0].stub, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(reassembler.partialCalls(), 1u);
  reassembler.abandon(8);
  EXPECT_EQ(reassembler.partialCalls(), 0u);
  EXPECT_EQ(feed(reassembler, {{8, kLast, 3, {1}}}), (std::vector<S>{S::ProtocolError}));
}

}  // namespace
}  // namespace rpc

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "format/stream_variant.h"
#include "stream_seeds.h"

namespace {

using format::testing::streamSeeds;

// The number of records the stream holds when every one decodes and they
// fill it exactly; -1 otherwise.
int recordCount(const std::vector<BYTE>& bytes) {
  std::unique_ptr<BYTE[]> exact(new BYTE[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  const BYTE* at = exact.get();
  const BYTE* end = at + bytes.size();
  int records = 0;
  while (at < end) {
    VARIANT value;
    const std::ptrdiff_t size = DecodeStreamVariant(&value, at, end);
    if (size <= 0) return -1;
    VariantClear(&value);
    at += size;
    ++records;
  }
  return records;
}

TEST(StreamSeedsTest, EverySeedIsAStreamOfValidRecords) {
  for (const auto& seed : streamSeeds()) EXPECT_GT(recordCount(seed.bytes), 0) << seed.name;
}

TEST(StreamSeedsTest, CommittedSeedsMatchTheGenerator) {
  for (const auto& seed : streamSeeds()) {
    std::ifstream file(std::string(VELMORA_STREAM_SEEDS) + "/" + seed.name, std::ios::binary);
    ASSERT_TRUE(file) << seed.name << ": run write_stream_seeds " << VELMORA_STREAM_SEEDS;
    const std::vector<BYTE> committed((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(committed, seed.bytes) << seed.name << ": run write_stream_seeds " << VELMORA_STREAM_SEEDS;
  }
}

}  // namespace

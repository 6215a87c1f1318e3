#include "com/clipboard.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(ClipboardFormats, OneNumberPerNameWithoutRegardToCase) {
  const UINT data = RegisterClipboardFormatA("OPCSTMFORMATDATA");
  ASSERT_GE(data, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatA("opcstmformatdata"), data);
  EXPECT_EQ(RegisterClipboardFormatW(u"OpcStmFormatData"), data);
  const UINT withTime = RegisterClipboardFormatW(u"OPCSTMFORMATDATATIME");
  EXPECT_NE(withTime, data);
  EXPECT_LE(withTime, 0xFFFFu);

  char name[64];
  ASSERT_EQ(GetClipboardFormatNameA(data, name, sizeof name), 16);
  EXPECT_STREQ(name, "OPCSTMFORMATDATA") << "the first spelling is kept";
  WCHAR wide[8];
  ASSERT_EQ(GetClipboardFormatNameW(withTime, wide, 8), 7) << "cut to fit";
  EXPECT_EQ(std::u16string(wide), u"OPCSTMF");
  EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(0xFFFF, name, sizeof name), 0);

  const struct {
    const char* what;
    UINT format;
  } refused[] = {
      {"null", RegisterClipboardFormatA(nullptr)},
      {"empty", RegisterClipboardFormatA("")},
      {"null wide", RegisterClipboardFormatW(nullptr)},
      {"empty wide", RegisterClipboardFormatW(u"")},
  };
  for (const auto& c : refused) EXPECT_EQ(c.format, 0u) << c.what;
}

// Threads registering overlapping names at once must agree on every number
// and never hand one number to two names.
TEST(ClipboardFormats, ThreadsAgreeOnNumbers) {
  constexpr int kThreads = 4;
  constexpr int kNames = 200;
  std::vector<std::vector<UINT>> seen(kThreads, std::vector<UINT>(kNames));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &seen] {
      for (int k = 0; k < kNames; ++k) {
        // Each thread walks the names in its own order and spelling.
        static constexpr int kStrides[kThreads] = {1, 3, 7, 9};  // coprime to kNames
        const int index = (k * kStrides[t] + t * 37) % kNames;
        std::string name = "Concurrent format " + std::to_string(index);
        if (t % 2) name = "CONCURRENT FORMAT " + std::to_string(index);
        seen[t][index] = RegisterClipboardFormatA(name.c_str());
      }
    });
  }
  for (auto& thread : threads) thread.join();

  for (int k = 0; k < kNames; ++k) {
    ASSERT_GE(seen[0][k], 0xC000u);
    for (int t = 1; t < kThreads; ++t) ASSERT_EQ(seen[t][k], seen[0][k]) << "name " << k;
    for (int other = 0; other < k; ++other) ASSERT_NE(seen[0][other], seen[0][k]);
  }
}

}  // namespace

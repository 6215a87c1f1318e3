// Conversions from several threads at once: the locale cache is shared, and
// COM threads convert values while the user interface does too.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "value_helpers.h"

namespace {

using namespace com::automation::testing;

TEST(ConcurrentCoercion, ThreadsShareTheLocaleCacheSafely) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      // Alternate locales so that threads fill the cache concurrently.
      const LCID locale = (t % 2 == 0) ? kEnglishUs : kGerman;
      const std::u16string expected = locale == kEnglishUs ? u"1.5" : u"1,5";
      for (int round = 0; round < kRounds; ++round) {
        VARIANT value = R8(1.5);
        if (VariantChangeTypeEx(&value, &value, locale, 0, VT_BSTR) != S_OK || textOf(value.bstrVal) != expected ||
            VariantChangeTypeEx(&value, &value, locale, 0, VT_R8) != S_OK || value.dblVal != 1.5) {
          ++failures;
        }
        VariantClear(&value);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace

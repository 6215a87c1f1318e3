#include "com/apartment.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// Runs body on a thread of its own, so that each case starts outside COM.
void onFreshThread(const std::function<void()>& body) { std::thread(body).join(); }

TEST(Apartment, JoinsAreCountedPerThreadAndModesDoNotMix) {
  struct Step {
    const char* call;
    std::function<HRESULT()> run;
    HRESULT expected;
  };
  auto mta = [] { return CoInitializeEx(nullptr, COINIT_MULTITHREADED); };
  auto sta = [] { return CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); };
  auto plain = [] { return CoInitialize(nullptr); };
  auto leave = [] {
    CoUninitialize();
    return S_OK;
  };
  const Step steps[] = {
      {"first MTA join", mta, S_OK},
      {"second MTA join", mta, S_FALSE},
      {"STA join in the MTA", sta, RPC_E_CHANGED_MODE},
      {"CoInitialize in the MTA", plain, RPC_E_CHANGED_MODE},
      {"leave once", leave, S_OK},
      {"still in the MTA", sta, RPC_E_CHANGED_MODE},
      {"leave twice: out (the refused joins need no leave)", leave, S_OK},
      {"STA join after leaving", plain, S_OK},
      {"same mode again", sta, S_FALSE},
      {"MTA join in the STA", mta, RPC_E_CHANGED_MODE},
      {"leave", leave, S_OK},
      {"leave", leave, S_OK},
      {"an extra leave is ignored", leave, S_OK},
      {"MTA again from scratch", mta, S_OK},
      {"leave", leave, S_OK},
  };
  onFreshThread([&] {
    for (const auto& step : steps) EXPECT_EQ(step.run(), step.expected) << step.call;
  });
}

TEST(Apartment, ThreadsJoinIndependently) {
  onFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    onFreshThread([] {
      EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK) << "another thread, its own mode";
      CoUninitialize();
    });
    CoUninitialize();
  });
  // A thread that ends without leaving leaves implicitly; nothing to check
  // here but that the process stays usable.
  onFreshThread([] { EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK); });
  onFreshThread([] {
    EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    CoUninitialize();
  });
}

TEST(Apartment, RejectsReservedArgumentsAndUnknownFlags) {
  onFreshThread([] {
    int reserved = 0;
    EXPECT_EQ(CoInitializeEx(&reserved, COINIT_MULTITHREADED), E_INVALIDARG);
    EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
    EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
    EXPECT_EQ(
        CoInitializeEx(nullptr, COINIT_MULTITHREADED | COINIT_DISABLE_OLE1DDE | COINIT_SPEED_OVER_MEMORY),
        S_OK)
        << "the refused calls did not join";
    CoUninitialize();
  });
}

// The only test in this program that sets process security: the first call
// of the process wins, every later one is too late, whatever happened to the
// apartments in between and on whichever thread it comes.
TEST(Apartment, SecurityIsSetOncePerProcess) {
  auto setSecurity = [] {
    return CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_NONE,
                                RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  };
  onFreshThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(setSecurity(), S_OK);
    EXPECT_EQ(setSecurity(), RPC_E_TOO_LATE);
    CoUninitialize();
  });
  onFreshThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    EXPECT_EQ(setSecurity(), RPC_E_TOO_LATE) << "after the process left COM and joined again";
    CoUninitialize();
  });
}

}  // namespace

#include "com/connection_point.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "com/interfaces/persist.h"

namespace {

DEFINE_GUID(IID_ITick, 0x3F1E0C20, 0x77A1, 0x4C55, 0x8B, 0x0D, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60);

struct ITick : IUnknown {
  virtual void STDMETHODCALLTYPE Tick() = 0;
};

}  // namespace

COM_DECLARE_INTERFACE(ITick, IID_ITick, IUnknown);

namespace {

class Source final : public com::Object<Source, IPersist, com::ConnectionPointContainer> {
 public:
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
    *clsid = GUID_NULL;
    return S_OK;
  }
  void fire() {
    for (ITick* sink : ticks.sinks()) sink->Tick();
  }
  ULONG references() {
    AddRef();
    return Release();
  }

  com::ConnectionPoint<ITick> ticks{*this};
};

class TickSink final : public com::Object<TickSink, ITick> {
 public:
  void STDMETHODCALLTYPE Tick() override {
    ticks.fetch_add(1);
    if (unadviseFrom != nullptr) unadviseFrom->Unadvise(std::exchange(cookie, 0));
  }
  ULONG references() {
    AddRef();
    return Release();
  }

  std::atomic<int> ticks{0};
  IConnectionPoint* unadviseFrom = nullptr;  // set to unadvise from inside the call
  DWORD cookie = 0;
};

class ConnectionPointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    source = com::makeObject<Source>();
    com::Ptr<IConnectionPointContainer> container;
    ASSERT_EQ(source.queryInterface(container), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(IID_ITick, point.put()), S_OK);
  }

  com::Ptr<Source> source;
  com::Ptr<IConnectionPoint> point;
};

TEST_F(ConnectionPointTest, ContainerFindsAndListsItsPoints) {
  com::Ptr<IConnectionPointContainer> container;
  ASSERT_EQ(source.queryInterface(container), S_OK);

  IID iid;
  ASSERT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, IID_ITick);
  com::Ptr<IConnectionPointContainer> back;
  ASSERT_EQ(point->GetConnectionPointContainer(back.put()), S_OK);
  EXPECT_EQ(back.get(), container.get());

  IConnectionPoint* missing = point.get();
  EXPECT_EQ(container->FindConnectionPoint(IID_IPersist, &missing), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(container->FindConnectionPoint(IID_ITick, nullptr), E_POINTER);

  com::Ptr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
  IConnectionPoint* listed[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0], point.get());
  listed[0]->Release();
}

TEST_F(ConnectionPointTest, AnOutstandingPointKeepsItsObjectAlive) {
  const ULONG before = source->references();
  com::Ptr<IConnectionPoint> extra = point;
  EXPECT_EQ(source->references(), before + 1);
  com::Ptr<IUnknown> pointIdentity;
  ASSERT_EQ(point.queryInterface(pointIdentity), S_OK);
  EXPECT_EQ(pointIdentity.get(), static_cast<IUnknown*>(point.get()));
}

TEST_F(ConnectionPointTest, AdviseAndUnadviseTrackCookiesAndReferences) {
  com::Ptr<TickSink> first = com::makeObject<TickSink>();
  com::Ptr<TickSink> second = com::makeObject<TickSink>();
  DWORD firstCookie = 0, secondCookie = 0;
  ASSERT_EQ(point->Advise(first->identity(), &firstCookie), S_OK);
  ASSERT_EQ(point->Advise(second->identity(), &secondCookie), S_OK);
  EXPECT_NE(firstCookie, 0u);
  EXPECT_NE(firstCookie, secondCookie);
  EXPECT_EQ(first->references(), 2u);

  com::Ptr<IEnumConnections> connections;
  ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
  CONNECTDATA listed[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(3, listed, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(listed[0].dwCookie, firstCookie);
  EXPECT_EQ(listed[0].pUnk, first->identity());
  EXPECT_EQ(listed[1].dwCookie, secondCookie);
  for (auto& connection : listed) {
    if (connection.pUnk != nullptr) connection.pUnk->Release();
  }
  connections.reset();

  source->fire();
  EXPECT_EQ(first->ticks, 1);
  EXPECT_EQ(second->ticks, 1);

  struct Case {
    DWORD cookie;
    HRESULT expected;
  };
  const Case unadvises[] = {
      {firstCookie, S_OK},
      {firstCookie, CONNECT_E_NOCONNECTION},
      {0, CONNECT_E_NOCONNECTION},
      {secondCookie + 100, CONNECT_E_NOCONNECTION},
  };
  for (const auto& c : unadvises) EXPECT_EQ(point->Unadvise(c.cookie), c.expected) << c.cookie;
  EXPECT_EQ(first->references(), 1u) << "the point let go of the sink";

  source->fire();
  EXPECT_EQ(first->ticks, 1);
  EXPECT_EQ(second->ticks, 2);

  point.reset();
  source.reset();
  EXPECT_EQ(second->references(), 1u) << "a connection still open is released with its object";
}

TEST_F(ConnectionPointTest, RefusesSinksWithoutTheInterface) {
  com::Ptr<Source> notASink = com::makeObject<Source>();
  DWORD cookie = 7;
  EXPECT_EQ(point->Advise(notASink->identity(), &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point->Advise(notASink->identity(), nullptr), E_POINTER);
  EXPECT_EQ(source->ticks.connectionCount(), 0u);
}

TEST_F(ConnectionPointTest, ASinkMayUnadviseItselfWhileBeingCalled) {
  com::Ptr<TickSink> sink = com::makeObject<TickSink>();
  ASSERT_EQ(point->Advise(sink->identity(), &sink->cookie), S_OK);
  sink->unadviseFrom = point.get();
  source->fire();
  source->fire();
  EXPECT_EQ(sink->ticks, 1);
  EXPECT_EQ(source->ticks.connectionCount(), 0u);
}

// Clients advise and unadvise from several threads while the owner fires
// from its own: every call must see a consistent list, a sink that stays
// connected throughout must get every call, and every reference must come
// back.
TEST_F(ConnectionPointTest, AdviseAndUnadviseRaceWithFiring) {
  constexpr int kClients = 4;
  constexpr int kRounds = 300;
  constexpr int kFires = 500;

  com::Ptr<TickSink> steady = com::makeObject<TickSink>();
  DWORD steadyCookie = 0;
  ASSERT_EQ(point->Advise(steady->identity(), &steadyCookie), S_OK);

  std::vector<com::Ptr<TickSink>> sinks;
  for (int k = 0; k < kClients; ++k) sinks.push_back(com::makeObject<TickSink>());

  std::atomic<bool> failed{false};
  std::vector<std::thread> clients;
  for (int k = 0; k < kClients; ++k) {
    clients.emplace_back([&, sink = sinks[k]] {
      for (int round = 0; round < kRounds; ++round) {
        DWORD cookie = 0;
        if (point->Advise(sink->identity(), &cookie) != S_OK || cookie == 0) failed = true;
        if (point->Unadvise(cookie) != S_OK) failed = true;
      }
    });
  }
  std::thread owner([&] {
    for (int k = 0; k < kFires; ++k) source->fire();
  });
  for (auto& client : clients) client.join();
  owner.join();

  EXPECT_FALSE(failed);
  EXPECT_EQ(steady->ticks, kFires);
  ASSERT_EQ(point->Unadvise(steadyCookie), S_OK);
  EXPECT_EQ(source->ticks.connectionCount(), 0u);
  for (auto& sink : sinks) EXPECT_EQ(sink->references(), 1u) << "only the test holds it";
}

}  // namespace

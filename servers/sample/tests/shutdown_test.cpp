// The shutdown connection point and the request file that makes a running
// server ask its clients to disconnect.

#include <filesystem>
#include <fstream>

#include "com/interfaces/connection_points.h"
#include "test_support.h"

namespace sample::testing {
namespace {

namespace fs = std::filesystem;

class ShutdownSink final : public com::Object<ShutdownSink, IOPCShutdown> {
 public:
  HRESULT STDMETHODCALLTYPE ShutdownRequest(LPCWSTR reason) override {
    std::function<void()> action;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(reason == nullptr ? std::optional<std::u16string>() : std::u16string(reason));
      action = std::move(onRequest_);
    }
    if (action) action();  // outside the lock: it may release the server
    return S_OK;
  }
  std::vector<std::optional<std::u16string>> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  void onRequest(std::function<void()> action) {
    std::lock_guard lock(mutex_);
    onRequest_ = std::move(action);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::optional<std::u16string>> requests_;
  std::function<void()> onRequest_;
};

class SampleShutdownTest : public ServerTest {
 protected:
  void SetUp() override {
    file = fs::current_path() /
           (std::string("shutdown-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove(file);
    options.shutdownRequestFile = file.string();
  }
  void TearDown() override {
    fs::remove(file);
  }
  DWORD adviseShutdown(IOPCServer* server, IConnectionPoint** pointOut = nullptr) {
    auto container = query<IConnectionPointContainer>(static_cast<IUnknown*>(server));
    com::Ptr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.put()), S_OK);
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
    if (pointOut != nullptr) *pointOut = point.detach();
    return cookie;
  }
  size_t requestCount() const { return sink->requests().size(); }

  fs::path file;
  ServerOptions options = fastOptions();
  com::Ptr<ShutdownSink> sink = com::makeObject<ShutdownSink>();
};

TEST_F(SampleShutdownTest, WritingTheRequestFileAsksEachClientOnce) {
  com::Ptr<IOPCServer> server = makeServer(options);
  com::Ptr<IConnectionPoint> point;
  const DWORD cookie = adviseShutdown(server.get(), point.put());

  std::ofstream(file) << "Maintenance at noon\n";
  ASSERT_TRUE(waitFor([&] { return requestCount() == 1; }));
  EXPECT_EQ(sink->requests()[0], std::u16string(u"Maintenance at noon"));

  std::ofstream(file, std::ios::trunc).close();  // no reason
  ASSERT_TRUE(waitFor([&] { return requestCount() == 2; }));
  EXPECT_FALSE(sink->requests()[1].has_value());

  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(requestCount(), 2u);  // an unchanged file asks nothing more
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  std::ofstream(file) << "Again\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(requestCount(), 2u);
}

TEST_F(SampleShutdownTest, AFileFromBeforeTheStartIsNoRequest) {
  std::ofstream(file) << "Old request\n";
  com::Ptr<IOPCServer> server = makeServer(options);
  adviseShutdown(server.get());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(requestCount(), 0u);
}

TEST_F(SampleShutdownTest, TheConnectionPointAnswersOnlyForIOPCShutdown) {
  com::Ptr<IOPCServer> server = makeServer(options);
  auto container = query<IConnectionPointContainer>(server);
  com::Ptr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IAdviseSink, point.put()), CONNECT_E_NOCONNECTION);
  ASSERT_EQ(container->FindConnectionPoint(IID_IOPCShutdown, point.put()), S_OK);
  IID iid{};
  EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, IID_IOPCShutdown);
  com::Ptr<RecordingSink> notShutdown = com::makeObject<RecordingSink>();
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(notShutdown->identity(), &cookie), CONNECT_E_CANNOTCONNECT);
  com::Ptr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
  IConnectionPoint* first = nullptr;
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(1, &first, &fetched), S_OK);
  EXPECT_EQ(first, point.get());
  first->Release();
}

TEST_F(SampleShutdownTest, AClientMayLetTheServerGoFromInsideTheRequest) {
  com::Ptr<IOPCServer> server = makeServer(options);
  GroupInfo group = addGroup(server.get(), u"Held");
  adviseShutdown(server.get());
  // The client's reaction to the request is to release everything, on the
  // server's own thread.
  std::mutex mutex;
  com::Ptr<IOPCServer> held = std::move(server);
  com::Ptr<IOPCItemMgt> heldGroup = std::move(group.items);
  sink->onRequest([&] {
    std::lock_guard lock(mutex);
    heldGroup = nullptr;
    held = nullptr;
  });
  std::ofstream(file) << "Stopping\n";
  ASSERT_TRUE(waitFor([&] {
    std::lock_guard lock(mutex);
    return !held;
  }));
}

}  // namespace
}  // namespace sample::testing

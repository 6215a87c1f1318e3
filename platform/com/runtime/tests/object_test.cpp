#include "com/object.h"

#include <gtest/gtest.h>

#include "com/class_factory.h"

namespace {

DEFINE_GUID(IID_IGreeter, 0x6A1C1E10, 0x2B57, 0x4D7A, 0x9E, 0x11, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06);
DEFINE_GUID(IID_ILoudGreeter, 0x6A1C1E11, 0x2B57, 0x4D7A, 0x9E, 0x11, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06);
DEFINE_GUID(IID_ICounter, 0x6A1C1E12, 0x2B57, 0x4D7A, 0x9E, 0x11, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06);

struct IGreeter : IUnknown {
  virtual int STDMETHODCALLTYPE Greet() = 0;
};
struct ILoudGreeter : IGreeter {
  virtual int STDMETHODCALLTYPE Shout() = 0;
};
struct ICounter : IUnknown {
  virtual int STDMETHODCALLTYPE Count() = 0;
};

}  // namespace

COM_DECLARE_INTERFACE(IGreeter, IID_IGreeter, IUnknown);
COM_DECLARE_INTERFACE(ILoudGreeter, IID_ILoudGreeter, IGreeter);
COM_DECLARE_INTERFACE(ICounter, IID_ICounter, IUnknown);

namespace {

int destroyed = 0;

class Greeter final : public com::Object<Greeter, ILoudGreeter, ICounter> {
 public:
  ~Greeter() override { ++destroyed; }
  int STDMETHODCALLTYPE Greet() override { return 1; }
  int STDMETHODCALLTYPE Shout() override { return 2; }
  int STDMETHODCALLTYPE Count() override { return 3; }

  HRESULT initialize() { return failInitialize ? E_ACCESSDENIED : S_OK; }
  static inline bool failInitialize = false;
};

TEST(Object, AnswersIUnknownEachListedInterfaceAndTheirBases) {
  com::Ptr<Greeter> greeter = com::makeObject<Greeter>();
  ASSERT_TRUE(greeter);
  struct Case {
    const IID& iid;
    void* expected;
  };
  const Case cases[] = {
      {IID_IUnknown, greeter->identity()},
      {IID_IGreeter, static_cast<IGreeter*>(greeter.get())},
      {IID_ILoudGreeter, static_cast<ILoudGreeter*>(greeter.get())},
      {IID_ICounter, static_cast<ICounter*>(greeter.get())},
  };
  for (const auto& c : cases) {
    void* answered = nullptr;
    ASSERT_EQ(greeter->QueryInterface(c.iid, &answered), S_OK);
    EXPECT_EQ(answered, c.expected);
    static_cast<IUnknown*>(answered)->Release();
  }

  void* answered = &answered;
  EXPECT_EQ(greeter->QueryInterface(IID_IClassFactory, &answered), E_NOINTERFACE);
  EXPECT_EQ(answered, nullptr);
  EXPECT_EQ(greeter->QueryInterface(IID_ICounter, nullptr), E_POINTER);
}

TEST(Object, EveryInterfaceLeadsToOneIdentity) {
  com::Ptr<Greeter> greeter = com::makeObject<Greeter>();
  com::Ptr<ICounter> counter;
  ASSERT_EQ(greeter.queryInterface(counter), S_OK);
  com::Ptr<IUnknown> fromCounter, fromGreeter;
  ASSERT_EQ(counter.queryInterface(fromCounter), S_OK);
  ASSERT_EQ(greeter.queryInterface(fromGreeter), S_OK);
  EXPECT_EQ(fromCounter.get(), fromGreeter.get());
  EXPECT_EQ(counter->Count(), 3);
}

TEST(Object, LastReleaseDestroysAndTheModuleCountsLiveObjects) {
  const long before = com::Module::objectCount();
  destroyed = 0;
  ICounter* counter = nullptr;
  {
    com::Ptr<Greeter> greeter = com::makeObject<Greeter>();
    EXPECT_EQ(com::Module::objectCount(), before + 1);
    EXPECT_EQ(com::Module::canUnloadNow(), S_FALSE);
    ASSERT_EQ(greeter->QueryInterface(IID_PPV_ARGS(&counter)), S_OK);
  }
  EXPECT_EQ(destroyed, 0) << "the interface pointer still holds a reference";
  EXPECT_EQ(counter->Release(), 0u);
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(com::Module::objectCount(), before);
}

TEST(Ptr, OwnsExactlyOneReference) {
  destroyed = 0;
  com::Ptr<Greeter> first = com::makeObject<Greeter>();
  Greeter* raw = first.get();
  {
    com::Ptr<Greeter> copy = first;             // +1
    com::Ptr<Greeter> moved = std::move(copy);  // unchanged
    EXPECT_FALSE(copy);
    com::Ptr<ILoudGreeter> converted = moved;  // +1
    EXPECT_EQ(raw->AddRef(), 4u);
    raw->Release();
  }
  EXPECT_EQ(raw->AddRef(), 2u);
  com::Ptr<Greeter> adopted = com::Ptr<Greeter>::attach(raw);  // takes over the AddRef above
  Greeter* detached = adopted.detach();
  EXPECT_FALSE(adopted);
  EXPECT_EQ(detached->Release(), 1u);

  ICounter* handedOut = nullptr;
  com::Ptr<ICounter> counter;
  ASSERT_EQ(first.queryInterface(counter), S_OK);
  ASSERT_EQ(counter.copyTo(&handedOut), S_OK);
  EXPECT_EQ(counter.copyTo(nullptr), E_POINTER);
  handedOut->Release();
  counter = nullptr;
  first.reset();
  EXPECT_EQ(destroyed, 1);

  com::Ptr<ICounter> empty;
  com::Ptr<IGreeter> target;
  EXPECT_EQ(empty.queryInterface(target), E_POINTER);
}

TEST(ClassFactory, CreatesObjectsAndRefusesAggregation) {
  com::Ptr<IClassFactory> factory;
  ASSERT_EQ(com::ClassFactory<Greeter>::create(IID_IClassFactory, factory.putVoid()), S_OK);

  com::Ptr<ICounter> counter;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(counter.put())), S_OK);
  EXPECT_EQ(counter->Count(), 3);

  void* object = &object;
  EXPECT_EQ(factory->CreateInstance(counter.get(), IID_IUnknown, &object), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &object), E_NOINTERFACE);

  destroyed = 0;
  Greeter::failInitialize = true;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICounter, &object), E_ACCESSDENIED);
  Greeter::failInitialize = false;
  EXPECT_EQ(destroyed, 1) << "an object that failed to initialise is destroyed";
}

TEST(ClassFactory, LockServerKeepsTheModuleLoaded) {
  com::Ptr<IClassFactory> factory;
  ASSERT_EQ(com::ClassFactory<Greeter>::create(IID_IClassFactory, factory.putVoid()), S_OK);
  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  factory.reset();
  EXPECT_EQ(com::Module::objectCount(), 0);
  EXPECT_EQ(com::Module::canUnloadNow(), S_FALSE);
  ASSERT_EQ(com::ClassFactory<Greeter>::create(IID_IClassFactory, factory.putVoid()), S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  factory.reset();
  EXPECT_EQ(com::Module::canUnloadNow(), S_OK);
}

}  // namespace

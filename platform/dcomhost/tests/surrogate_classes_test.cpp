#include "surrogate_classes.h"

#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <gtest/gtest.h>

namespace dcomhost {
namespace {

// {11111111-2222-3333-4444-555555555501} and following.
CLSID classNumber(uint8_t n) { return CLSID{0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, n}}; }

TEST(SurrogateClasses, ExportsOnlyClassesWhoseAppIdAllowsASurrogate) {
  char dir[] = "/tmp/dcomhost-registry-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/registry.reg";
  std::ofstream(path) << "Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555501}]\n"
                         "\"AppID\"=\"{AAAAAAAA-0000-0000-0000-000000000001}\"\n"
                         "[HKEY_CLASSES_ROOT\\AppID\\{AAAAAAAA-0000-0000-0000-000000000001}]\n"
                         "\"DllSurrogate\"=\"\"\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555502}]\n"
                         "@=\"no AppID\"\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555503}]\n"
                         "\"AppID\"=\"{AAAAAAAA-0000-0000-0000-000000000003}\"\n"
                         "[HKEY_CLASSES_ROOT\\AppID\\{AAAAAAAA-0000-0000-0000-000000000003}]\n"
                         "@=\"an AppID without a surrogate\"\n"
                         "[HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555504}]\n"
                         "\"AppID\"=\"{AAAAAAAA-0000-0000-0000-000000000009}\"\n";
  ::setenv("VELMORA_REGISTRY", path.c_str(), 1);

  SurrogateClasses classes;
  struct Case {
    uint8_t number;
    bool exported;
  };
  for (auto c : {Case{1, true}, Case{2, false}, Case{3, false}, Case{4, false}, Case{5, false}}) {
    EXPECT_EQ(classes.remotelyActivatable(classNumber(c.number)), c.exported) << int(c.number);
    if (!c.exported) {
      IUnknown* object = reinterpret_cast<IUnknown*>(1);
      EXPECT_EQ(classes.createInstance(classNumber(c.number), "user", &object), REGDB_E_CLASSNOTREG);
      EXPECT_EQ(object, nullptr);
      EXPECT_EQ(classes.getClassObject(classNumber(c.number), "user", &object), REGDB_E_CLASSNOTREG);
    }
  }
  EXPECT_EQ(guidText(classNumber(1)), "{11111111-2222-3333-4444-555555555501}");
  ::unlink(path.c_str());
  ::rmdir(dir);
}

}  // namespace
}  // namespace dcomhost

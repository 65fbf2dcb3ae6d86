// The registry both object layers keep their own classes in: names without regard to ASCII
// case, class ids looked up by their braces, a ProgID registered again replacing its entry.
#include <gtest/gtest.h>

#include "platform/shared/class_registry.h"

namespace {

const ObjectClass kFirst{};
const ObjectClass kSecond{};

TEST(ClassRegistry, FindsByProgIdOrClassIdReplacesAndRemoves) {
  ClassRegistry registry;
  EXPECT_EQ(registry.find(u"Cellbrae.Probe"), nullptr);
  registry.add(u"Cellbrae.Probe", u"{AAAA-01}", &kFirst);
  registry.add(u"Other.Thing", u"{BBBB-02}", &kSecond);
  EXPECT_EQ(registry.find(u"cellbrae.PROBE"), &kFirst);
  EXPECT_EQ(registry.find(u"{aaaa-01}"), &kFirst);
  EXPECT_EQ(registry.find(u"{BBBB-02}"), &kSecond);
  EXPECT_EQ(registry.find(u"Cellbrae.Prob"), nullptr);
  EXPECT_EQ(registry.find(u"{AAAA-01"), nullptr);
  EXPECT_EQ(registry.find(u"AAAA-01"), nullptr) << "a class id only with its braces";
  EXPECT_EQ(registry.find(u""), nullptr);

  // Registered again under another spelling: one entry, the new class and class id.
  registry.add(u"CELLBRAE.probe", u"{CCCC-03}", &kSecond);
  EXPECT_EQ(registry.find(u"Cellbrae.Probe"), &kSecond);
  EXPECT_EQ(registry.find(u"{AAAA-01}"), nullptr);
  EXPECT_EQ(registry.find(u"{CCCC-03}"), &kSecond);

  EXPECT_TRUE(registry.remove(u"cellbrae.probe"));
  EXPECT_FALSE(registry.remove(u"Cellbrae.Probe"));
  EXPECT_EQ(registry.find(u"{CCCC-03}"), nullptr);
  EXPECT_EQ(registry.find(u"Other.Thing"), &kSecond);
}

}  // namespace

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "host/MessageFields.h"
#include "host/MessageSchema.h"
#include "host/Messages.h"

namespace {

// A message with a nested object and a list, whose elements are of a
// derived message class.
FDC::ExternalNBUConfig MakeTree() {
  FDC::ExternalNBUConfig config;
  config.setstring(5, 17, "/opt/tsm");
  (*config.getlistint(20, 62, true))->push_back(7);
  (*config.getObjectAccessor(true, true, 30, 1, 32, 56))->setstring(6, 9, "nested");
  (*config.getlistobject(31, 2, true))->Append(FDC::DiscoveryError())->setint64(5, 8, 2);
  return config;
}
CNMessageBase* Nested(CNMessageBase& m) { return *m.getObjectAccessor(true, false, 30, 1, 0, 0); }
CNMessageBase* Item(CNMessageBase& m) { return (*m.getlistobject(31, 2, false))->at(0); }

TEST(MessageTest, ScalarsAndGetOrCreate) {
  CNMessageBase m(32, 999);  // a type pair the schema does not know: any field goes
  EXPECT_FALSE(m.isSet(3));
  EXPECT_EQ(m.getstring(3, 3), "");
  m.setstring(3, 3, "two");
  EXPECT_TRUE(m.isSet(3));
  EXPECT_EQ(m.getstring(3, 3), "two");
  m.setint64(3, 4, -5);  // same index, other kind: replaced, not duplicated
  EXPECT_EQ(m.fields().size(), 1u);
  EXPECT_EQ(m.getstring(3, 3), "");
  EXPECT_EQ(m.getint64(3, 4), -5);
  EXPECT_EQ(m.getint64(4), -5);
  EXPECT_EQ(m.getint64(3), 0) << "getint64(id) looks up by id, not index";

  // Absent fields are created whatever the flag says; existing ones are returned.
  std::vector<int>** ints = m.getlistint(12, 2, false);
  EXPECT_NE(*ints, nullptr);
  EXPECT_NE(*m.getlistulong(13, 3, false), nullptr);
  CNMessageList** list = m.getlistobject(11, 1, false);
  ASSERT_NE(*list, nullptr);
  (*list)->Append(CNMessageBase(32, 56));
  // Fields set before and after must not move what the accessors handed out.
  for (int i : {1, 2, 14, 15, 16, 17, 18, 19, 20, 4, 5, 6}) m.setstring(i, i, "other field");
  EXPECT_EQ(m.getlistobject(11, 1, true), list);
  EXPECT_EQ(m.getlistint(12, 2, true), ints);
  EXPECT_EQ((*list)->size(), 1u);
  (*ints)->push_back(3);
  EXPECT_EQ(*m.findField(12)->ints(), std::vector<int>{3});
  (*m.getObjectAccessor(true, false, 25, 25, 32, 56))->setint64(1, 1, 9);
  EXPECT_EQ((*m.getObjectAccessor(true, true, 25, 25, 0, 0))->getint64(1), 9)
      << "an existing object is returned, whatever type pair is asked for";
}

TEST(MessageTest, ListsAndSettersStoreCopies) {
  ScopedSchemaCheckMode container(SchemaCheckMode::kOff);  // the store, not the schema, is under test
  CNMessageBase m(30, 164);
  CNMessageList* list = *m.getlistobject(1, 1, true);
  FDC::DiscoveryError entry;
  entry.setstring(6, 9, "first");
  list->Append(entry)->setstring(4, 4, "filled in place");
  entry.setstring(6, 9, "changed after append");
  EXPECT_EQ(list->at(0)->getstring(6, 9), "first");
  // Appending an element of the list itself is safe even when it grows.
  for (int i = 0; i < 40; ++i) list->Append(*list->at(0));
  EXPECT_EQ(list->size(), 41u);
  EXPECT_EQ(list->back()->getstring(4, 4), "filled in place");

  m.setObjectAccessor(&entry, 2, 2);
  entry.setstring(6, 9, "after");
  CNMessageBase* stored = *m.getObjectAccessor(true, false, 2, 2, 0, 0);
  EXPECT_EQ(stored->getstring(6, 9), "changed after append");
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(stored), nullptr);
  m.setObjectAccessor(stored, 2, 2);  // its own current value
  EXPECT_EQ((*m.getObjectAccessor(true, false, 2, 2, 0, 0))->getstring(6, 9), "changed after append");
  m.setObjectAccessor(nullptr, 2, 2);
  EXPECT_FALSE(m.isSet(2));

  std::vector<unsigned long> values = {1, 2, 3};
  m.setlistulong(24, 75, &values);
  values.push_back(4);
  m.setlistulong(24, 75, *m.getlistulong(24, 75, false));  // from itself
  EXPECT_EQ(**m.getlistulong(24, 75, false), (std::vector<unsigned long>{1, 2, 3}));
  m.setlistulong(24, 75, nullptr);
  EXPECT_TRUE(m.isSet(24));
  EXPECT_TRUE((*m.getlistulong(24, 75, false))->empty());
}

TEST(MessageTest, CopiesAreDeepAndKeepDynamicTypes) {
  ScopedSchemaCheckMode container(SchemaCheckMode::kOff);  // MakeTree nests fields the schema lacks
  FDC::ExternalNBUConfig original = MakeTree();
  FDC::ExternalNBUConfig copy = original;
  CNMessageBase assigned(1, 1);
  assigned = original;
  for (CNMessageBase* m : {static_cast<CNMessageBase*>(&copy), &assigned}) {
    (*m->getlistint(20, 62, false))->push_back(8);
    Item(*m)->setint64(5, 8, 99);
    Nested(*m)->setstring(6, 9, "changed");
  }
  EXPECT_EQ((*original.getlistint(20, 62, false))->size(), 1u);
  EXPECT_EQ(Item(original)->getint64(8), 2);
  EXPECT_EQ(Nested(original)->getstring(6, 9), "nested");
  EXPECT_EQ(assigned.classId(), 74);
  EXPECT_NE(dynamic_cast<FDC::ExternalNBUConfig*>(original.Clone().get()), nullptr);
  // The handler casts statically; the sanitizer build checks the vptr here.
  for (CNMessageBase* inner : {Nested(copy), Item(copy)}) {
    ASSERT_NE(dynamic_cast<FDC::DiscoveryError*>(inner), nullptr);
    static_cast<FDC::DiscoveryError*>(inner)->setint64(2, 2, 1);
  }
  CNMessageBase tree = MakeTree();
  tree = *Nested(tree);  // from a nested part of itself
  EXPECT_EQ(tree.getstring(6, 9), "nested");
  EXPECT_EQ(tree.fields().size(), 1u);
}

}  // namespace

// The schema as a whole: every class once, every field's index and id
// used once in its class (isSet asks by index alone), every kind known.
TEST(SchemaTest, EveryClassOnceEveryFieldAddressOnce) {
  std::set<std::pair<int, int>> classes;
  for (const SchemaClass& c : SchemaClasses()) {
    EXPECT_TRUE(classes.insert({c.group, c.cls}).second) << c.ns << "::" << c.name << " registered twice";
    EXPECT_EQ(MessageTypeName(c.group, c.cls), std::string(c.ns) + "::" + c.name);
  }
  std::set<std::tuple<int, int, int>> indexes, ids;
  for (const SchemaField& f : SchemaFields()) {
    const std::string where = MessageTypeName(f.group, f.cls) + "." + f.name;
    EXPECT_EQ(classes.count({f.group, f.cls}), 1u) << where << " belongs to no class";
    EXPECT_TRUE(indexes.insert({f.group, f.cls, f.index}).second) << where << " reuses index " << f.index;
    EXPECT_TRUE(ids.insert({f.group, f.cls, f.id}).second) << where << " reuses id " << f.id;
    EXPECT_NE(std::string(FieldKindName(f.kind)), "unknown") << where;
  }
}

// A builder that writes a field its class lacks, or with another kind,
// is reported; messages of a type pair the schema does not know are not.
TEST(SchemaTest, AccessAgainstTheSchemaIsReported) {
  ScopedSchemaCheckMode logged(SchemaCheckMode::kLog);
  struct Case {
    const char* what;
    void (*access)();
    long violations;
  } cases[] = {
      {"right kind",
       [] {
         App::ClientsList l;
         zyfields::SetInt(&l, l.field2, 1);
       },
       0},
      {"string as int",
       [] {
         App::Client c;
         c.setint64(2, 2, 1);
       },
       1},
      {"unknown field",
       [] {
         App::Client c;
         c.setstring(99, 99, "x");
       },
       1},
      {"list read as object",
       [] {
         App::Client c;
         c.getObjectAccessor(true, true, 20, 29, 30, 113);
       },
       1},
      {"unknown class",
       [] {
         CNMessageBase m(99, 1);
         m.setstring(1, 1, "x");
       },
       0},
  };
  for (const Case& c : cases) {
    const long before = SchemaViolationCount();
    c.access();
    EXPECT_EQ(SchemaViolationCount() - before, c.violations) << c.what;
  }
}

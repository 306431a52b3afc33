#include <gtest/gtest.h>

#include <vector>

#include "host/CNMessageBase.h"
#include "host/MessageSchema.h"
#include "host/Messages.h"

namespace {

// A message with one field of every kind, nested two levels deep.
FDC::ExternalNBUConfig MakeTree() {
  FDC::ExternalNBUConfig config;
  config.setstring(5, 17, "/opt/tsm");
  config.setint64(16, 58, 42);
  (*config.getlistint(20, 62, true))->push_back(7);
  std::vector<unsigned long> ulongs = {1, 2};
  config.setlistulong(24, 75, &ulongs);
  CNMessageBase* status = *config.getObjectAccessor(true, true, 30, 1, 32, 56);
  status->setstring(6, 9, "nested");
  CNMessageList* list = *config.getlistobject(31, 2, true);
  CNMessageBase* item = list->Append(FDC::DiscoveryError());
  item->setint64(5, 8, 2);
  return config;
}

TEST(MessageTest, ScalarsReplaceAndReadBack) {
  CNMessageBase m(32, 1);
  EXPECT_FALSE(m.isSet(3));
  EXPECT_EQ(m.getstring(3, 3), "");
  EXPECT_EQ(m.getint64(3), 0);

  m.setstring(3, 3, "one");
  m.setstring(3, 3, "two");
  EXPECT_TRUE(m.isSet(3));
  EXPECT_EQ(m.getstring(3, 3), "two");

  // Same index, other kind: the field is replaced, not duplicated.
  m.setint64(3, 4, -5);
  EXPECT_EQ(m.fields().size(), 1u);
  EXPECT_EQ(m.getstring(3, 3), "");
  EXPECT_EQ(m.getint64(4), -5);
  EXPECT_EQ(m.getint64(3, 4), -5);
  EXPECT_EQ(m.getint64(3), 0) << "getint64(id) looks up by id, not index";

  m.setstring(9, 9, std::string(1, '\0') + "x");
  EXPECT_EQ(m.getstring(9, 9).size(), 2u) << "strings keep embedded NUL bytes";
}

TEST(MessageTest, GetOrCreateAccessorsAreStableAndNeverNull) {
  CNMessageBase m(30, 1);
  for (bool create : {true, false}) {
    SCOPED_TRACE(create);
    CNMessageBase fresh(30, 1);
    ASSERT_NE(*fresh.getlistobject(1, 1, create), nullptr);
    ASSERT_NE(*fresh.getlistint(2, 2, create), nullptr);
    ASSERT_NE(*fresh.getlistulong(3, 3, create), nullptr);
    ASSERT_NE(*fresh.getObjectAccessor(true, create, 4, 4, 32, 56), nullptr);
  }

  CNMessageList** list = m.getlistobject(1, 1, !m.isSet(1));
  (*list)->Append(CNMessageBase(32, 56));
  m.setstring(2, 2, "other field");  // must not move field 1
  CNMessageList** again = m.getlistobject(1, 1, !m.isSet(1));
  EXPECT_EQ(list, again);
  EXPECT_EQ((*again)->size(), 1u);

  CNMessageBase** obj = m.getObjectAccessor(true, true, 3, 3, 32, 56);
  (*obj)->setint64(1, 1, 9);
  EXPECT_EQ((*m.getObjectAccessor(true, !m.isSet(3), 3, 3, 0, 0))->getint64(1), 9)
      << "an existing object is returned, whatever type pair is asked for";
}

TEST(MessageTest, ListOwnsCopiesAndElementsFillInPlace) {
  CNMessageBase owner(30, 164);
  CNMessageList* list = *owner.getlistobject(1, 1, true);
  FDC::DiscoveryError entry;
  entry.setstring(6, 9, "first");
  CNMessageBase* stored = list->Append(entry);
  entry.setstring(6, 9, "changed after append");
  EXPECT_EQ(list->at(0)->getstring(6, 9), "first");

  stored->setstring(4, 4, "filled in place");
  EXPECT_EQ(list->back()->getstring(4, 4), "filled in place");

  // Appending an element of the list itself is safe even when it grows.
  for (int i = 0; i < 40; ++i) list->Append(*list->at(0));
  EXPECT_EQ(list->size(), 41u);
  EXPECT_EQ(list->back()->getstring(4, 4), "filled in place");
}

TEST(MessageTest, CopiesAreDeepAndIndependent) {
  FDC::ExternalNBUConfig original = MakeTree();
  FDC::ExternalNBUConfig copy = original;
  CNMessageBase assigned(1, 1);
  assigned = original;

  for (CNMessageBase* m : {static_cast<CNMessageBase*>(&copy), &assigned}) {
    (*m->getlistint(20, 62, false))->push_back(8);
    (*m->getlistobject(31, 2, false))->at(0)->setint64(5, 8, 99);
    (*m->getObjectAccessor(true, false, 30, 1, 0, 0))->setstring(6, 9, "changed");
  }
  EXPECT_EQ((*original.getlistint(20, 62, false))->size(), 1u);
  EXPECT_EQ((*original.getlistobject(31, 2, false))->at(0)->getint64(8), 2);
  EXPECT_EQ((*original.getObjectAccessor(true, false, 30, 1, 0, 0))->getstring(6, 9), "nested");
  EXPECT_EQ(assigned.group(), 32);
  EXPECT_EQ(assigned.classId(), 74);
  EXPECT_EQ(copy.getstring(5, 17), "/opt/tsm");

  // Assigning a message from a nested part of itself.
  CNMessageBase tree = MakeTree();
  tree = **tree.getObjectAccessor(true, false, 30, 1, 0, 0);
  EXPECT_EQ(tree.getstring(6, 9), "nested");
  EXPECT_EQ(tree.fields().size(), 1u);
}

TEST(MessageTest, DynamicTypeSurvivesCopiesAndAccessors) {
  FDC::ExternalNBUConfig config = MakeTree();
  std::unique_ptr<CNMessageBase> clone = config.Clone();
  EXPECT_NE(dynamic_cast<FDC::ExternalNBUConfig*>(clone.get()), nullptr);

  FDC::ExternalNBUConfig copy = config;
  CNMessageBase* nested = *copy.getObjectAccessor(true, false, 30, 1, 32, 56);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(nested), nullptr);
  CNMessageBase* item = (*copy.getlistobject(31, 2, false))->at(0);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(item), nullptr);
  // The handler casts statically; the sanitizer build checks the vptr here.
  static_cast<FDC::DiscoveryError*>(nested)->setint64(2, 2, 1);
  static_cast<FDC::DiscoveryError*>(item)->setint64(2, 2, 1);

  // Unknown pairs still get a usable message.
  CNMessageBase* unknown = *copy.getObjectAccessor(true, true, 40, 40, 99, 9999);
  EXPECT_EQ(unknown->group(), 99);
  EXPECT_EQ(unknown->classId(), 9999);
}

TEST(MessageTest, SetObjectAccessorStoresACopy) {
  CNMessageBase m(30, 1);
  FDC::DiscoveryError status;
  status.setstring(6, 9, "before");
  m.setObjectAccessor(&status, 2, 2);
  status.setstring(6, 9, "after");
  CNMessageBase* stored = *m.getObjectAccessor(true, false, 2, 2, 0, 0);
  EXPECT_EQ(stored->getstring(6, 9), "before");
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(stored), nullptr);

  m.setObjectAccessor(stored, 2, 2);  // its own current value
  EXPECT_EQ((*m.getObjectAccessor(true, false, 2, 2, 0, 0))->getstring(6, 9), "before");

  m.setObjectAccessor(nullptr, 2, 2);
  EXPECT_FALSE(m.isSet(2));
}

TEST(MessageTest, SetListULongReplaces) {
  CNMessageBase m(32, 74);
  std::vector<unsigned long> values = {1, 2, 3};
  m.setlistulong(24, 75, &values);
  values.push_back(4);
  EXPECT_EQ(**m.getlistulong(24, 75, false), (std::vector<unsigned long>{1, 2, 3}));
  m.setlistulong(24, 75, *m.getlistulong(24, 75, false));  // from itself
  EXPECT_EQ((*m.getlistulong(24, 75, false))->size(), 3u);
  m.setlistulong(24, 75, nullptr);
  EXPECT_TRUE(m.isSet(24));
  EXPECT_TRUE((*m.getlistulong(24, 75, false))->empty());
}

TEST(MessageSchemaTest, NamesAndCreation) {
  CNMessageBase::Initialize();
  CNMessageBase::Initialize();
  EXPECT_EQ(MessageGroupName(30), "App");
  EXPECT_EQ(MessageGroupName(32), "FDC");
  EXPECT_EQ(MessageGroupName(12), "TMMsg");
  EXPECT_EQ(MessageGroupName(18), "ZyEntities");
  EXPECT_EQ(MessageGroupName(31), "");
  EXPECT_EQ(MessageClassName(32, 74), "ExternalNBUConfig");
  EXPECT_EQ(MessageTypeName(32, 56), "FDC::DiscoveryError");
  EXPECT_EQ(MessageTypeName(32, 99999), "");
  EXPECT_EQ(MessageFieldName(32, 74, 12, 45), "adminPassword");
  EXPECT_EQ(MessageFieldName(32, 74, 12, 46), "");

  std::unique_ptr<CNMessageBase> known = CreateMessage(32, 56);
  EXPECT_NE(dynamic_cast<FDC::DiscoveryError*>(known.get()), nullptr);
  std::unique_ptr<CNMessageBase> unknown = CreateMessage(7, 8);
  ASSERT_NE(unknown, nullptr);
  EXPECT_EQ(unknown->group(), 7);
  EXPECT_EQ(FDC::DiscoveryError::Signature(), MessageSignature(32, 56));
}

}  // namespace

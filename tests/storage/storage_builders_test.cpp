// The storage mappings, the storage policy merge with the default policy,
// and drive items from device descriptions. The info items of the other
// builders are checked on the sample site (discover_media_test.cpp).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "storage/DefaultLibrary.h"
#include "storage/TSMStandAloneLib.h"
#include "storage/TSMStoragePolicy.h"
#include "tests/support/Guards.h"
#include "tests/support/MessageWalk.h"

namespace {

using namespace testsupport;
using Lib = FDC::ForeignLibraryItem;

// Names built from the gathered server name SRV1.
class StorageBuilderTest : public ::testing::Test {
 protected:
  ScopedExistingFiles replay_{true, "/nonexistent/"};
  Undo server_{[old = CForeignHandlerTSM::m_serverName] { CForeignHandlerTSM::m_serverName = old; }};
  void SetUp() override { CForeignHandlerTSM::m_serverName = "SRV1"; }
};

TEST(StorageMaps, TablesInAnyLetterCase) {
  using H = CForeignHandlerTSM;
  enum { kDrive, kStatus, kController, kMedia, kStorage };
  const std::function<int(const std::string&)> maps[] = {H::MapDriveType_TSMToZY, H::MapDriveStatus_TSMToZY,
                                                         H::MapLibraryController_TSMToZY,
                                                         H::MapMediaType_TSMToZY, H::MapStorageType_TSMToZY};
  const struct {
    int map;
    const char* word;
    int code;
  } cases[] = {
      {kDrive, "lto", 121},   {kDrive, "LTO-5", 221},  {kDrive, "", 221},       {kDrive, "Worm14", 144},
      {kStatus, "online", 1}, {kStatus, "YES", 0},     {kController, "rsm", 2}, {kController, "SCSI", 1},
      {kMedia, "disk", 2},    {kMedia, "LTOCLASS", 1}, {kStorage, "RSM", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(maps[c.map](c.word), c.code) << "[" << c.word << "]";
}

// "policy[copy>data path library, ...]" for each policy of `list`.
std::string Policies(const FDC::StoragePolicyList& list) {
  using P = FDC::StoragePolicy;
  using C = FDC::StoragePolicyCopy;
  std::string text;
  for (size_t p = 0; Item(&list, FDC::StoragePolicyList::storagePolicies, p) != nullptr; ++p) {
    const CNMessageBase* policy = Item(&list, FDC::StoragePolicyList::storagePolicies, p);
    text += (p > 0 ? " " : "") + policy->getstring(1, 1) + "[";
    for (size_t c = 0; Item(policy, P::copies, c) != nullptr; ++c) {
      const CNMessageBase* copy = Item(policy, P::copies, c);
      text +=
          (c > 0 ? "," : "") + copy->getstring(3, 6) + ">" + Item(copy, C::dataPaths, 0)->getstring(5, 17);
    }
    text += "]";
  }
  return text;
}

TEST_F(StorageBuilderTest, PolicyMergeByPoolNameWithTheDefaultPolicyLast) {
  FDC::StoragePolicyList list;
  TSMStandAloneLib volume;  // stand-alone policies come first
  volume.set_libName("/d/v 1");
  volume.set_storagePath("/d/v 1");
  volume.set_spName("poola");
  ASSERT_TRUE(volume.BuildStoragePolicy(&list));
  const std::pair<const char*, const char*> records[] = {
      {"LIB1", "POOLA"}, {"LIB2", "POOLB"}, {"LIB2", "PoolA"}, {"LIB3", "tsm_srv1_default_sp"}};
  for (const auto& [library, pool] : records) {
    TSMStoragePolicy record;
    record.set_libName(library);
    record.set_spName(pool);
    ASSERT_TRUE(record.BuildStoragePolicy(&list));
  }
  ASSERT_TRUE(AppendDefaultStoragePolicy(&list));
  EXPECT_EQ(Policies(list),
            "PoolA[/d/v 1>/d/v 1,LIB1>LIB1,LIB2>LIB2] POOLB[LIB2>LIB2] tsm_srv1_default_sp[LIB3>LIB3] "
            "TSM_SRV1_Default_SP[DEFAULT_COPY_NAME>TSM_SRV1_DEFAULT_LIBRARY]");
  // A data path keeps the spelling of its own record.
  using P = FDC::StoragePolicy;
  const CNMessageBase* pool = Item(&list, FDC::StoragePolicyList::storagePolicies, 0);
  EXPECT_EQ(Item(Item(pool, P::copies, 0), FDC::StoragePolicyCopy::dataPaths, 0)->getstring(1, 1), "poola");
  const CNMessageBase* def = Item(&list, FDC::StoragePolicyList::storagePolicies, 3);
  EXPECT_EQ(def->getstring(2, 5) + "/" + Item(def, P::copies, 0)->getstring(12, 18) + "/" +
                Item(pool, P::copies, 0)->getstring(12, 18),
            "Default Catch All Storage Policy/TSM Default Copy/TSM Migrated copy");
}

// "key:valueType:value" of each info item of a drive item, joined by "|".
std::string Infos(const CNMessageBase* drive) {
  const CNMessageBase* info = Sub(drive, FDC::ForeignDriveItem::info);
  std::string text;
  for (size_t i = 0; i < Count(info, FDC::InfoItemList::infoItems); ++i) {
    const CNMessageBase* e = Item(info, FDC::InfoItemList::infoItems, i);
    text += (i > 0 ? "|" : "") + std::to_string(e->getint64(1, 1)) + ":" + std::to_string(e->getint64(3, 6)) +
            ":" + e->getstring(2, 2);
  }
  return text;
}

TEST_F(StorageBuilderTest, TapeLibraryKeepsItsPortSkipsTypeOneAndSlicesDeviceIds) {
  std::vector<CTSMDeviceInfo> devices = {
      {8, "/dev/st0", 1, 2, 3, 2, "SN0", "WWN0", "IBM     ULT3580-TD5     B170xx"},
      {1, "/dev/sg1", 0, 0, 0, 2, "", "", "changer"},
      {8, "/dev/st2", 0, 0, 0, 3, "", "", "other port"},
      {8, "/dev/st3", 0, 0, 0, 2, "SN3", "", "0123456789"},
  };
  Lib library;
  zyfields::SetInt(&library, Lib::storageType, 1);
  EXPECT_EQ(BuildTapeLibrary(library, &devices, 2), 1);
  const CNMessageBase* drives = Sub(&library, Lib::drives);
  ASSERT_EQ(Count(drives, FDC::ForeignDriveList::driveItems), 2u);
  EXPECT_EQ(Infos(Item(drives, FDC::ForeignDriveList::driveItems, 0)),
            "158:1:1|151:3:/dev/st0|1:3:IBM     ULT3580-TD5     B170xx|152:3:IBM     |153:3:ULT3580-TD5     |"
            "154:3:B170xx|155:3:SN0|156:3:WWN0|157:1:1|7:3:{1, 2, 3, 2}|159:3:TSM_SRV1|161:1:1|160:1:0");
  EXPECT_EQ(Infos(Item(drives, FDC::ForeignDriveList::driveItems, 1)),
            "158:1:1|151:3:/dev/st3|1:3:0123456789|152:3:01234567|153:3:89|154:3:|155:3:SN3|156:3:|157:1:2|"
            "7:3:{0, 0, 0, 2}|159:3:TSM_SRV1|161:1:1|160:1:0");
  Lib empty;
  std::vector<CTSMDeviceInfo> none;
  BuildTapeLibrary(empty, &none, 2);
  ASSERT_NE(Sub(&empty, Lib::drives), nullptr);
  EXPECT_TRUE(zyfields::IsSet(Sub(&empty, Lib::drives), FDC::ForeignDriveList::driveItems));
}

}  // namespace

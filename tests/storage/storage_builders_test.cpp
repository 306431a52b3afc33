// The storage builders and mappings: info items in their order and value
// types, the storage policy merge, the default library and policy, and
// drive items from device descriptions.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/MessageFields.h"
#include "host/ZyUtil.h"
#include "storage/DefaultLibrary.h"
#include "storage/TSMLibs.h"
#include "storage/TSMMedia.h"
#include "storage/TSMStandAloneLib.h"
#include "storage/TSMStoragePolicy.h"
#include "tests/storage/StorageTestSupport.h"
#include "tests/support/Guards.h"

namespace {

using namespace storagetest;
using namespace testsupport;
using Lib = FDC::ForeignLibraryItem;

// Names built from the gathered server name SRV1.
class BuilderTest : public ::testing::Test {
 protected:
  ScopedExistingFiles replay_{true, "/nonexistent/"};
  ScopedServerName server_{"SRV1"};
  const std::string host_ = GetHostName();
};

TEST(StorageMaps, TablesInAnyLetterCase) {
  using H = CForeignHandlerTSM;
  const std::function<int(const std::string&)> drive = H::MapDriveType_TSMToZY,
                                               status = H::MapDriveStatus_TSMToZY,
                                               controller = H::MapLibraryController_TSMToZY,
                                               media = H::MapMediaType_TSMToZY,
                                               storage = H::MapStorageType_TSMToZY;
  const struct {
    std::function<int(const std::string&)> map;
    std::string word;
    int code;
  } cases[] = {
      {drive, "lto", 121},    {drive, "LTO", 121},    {drive, "LTO-5", 221},     {drive, "", 221},
      {drive, "DISK", 10001}, {drive, "3592", 85},    {drive, "Worm14", 144},    {drive, "OPTICAL", 20003},
      {status, "ONLINE", 1},  {status, "online", 1},  {status, "OFFLINE", 0},    {status, "YES", 0},
      {status, "", 0},        {controller, "rsm", 2}, {controller, "MANUAL", 1}, {controller, "SCSI", 1},
      {controller, "", 1},    {media, "disk", 2},     {media, "FILE", 2},        {media, "LTOCLASS", 1},
      {storage, "RSM", 1},    {storage, "SCSI", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(c.map(c.word), c.code) << "[" << c.word << "]";
}

TEST_F(BuilderTest, ItemsWithInfoItemsInOrderAndValueTypes) {
  FDC::ForeignLibraryList libraries;
  TSMLibs rsm;
  rsm.set_libName("RSMLIB");
  rsm.set_libType("rsm");
  TSMDrive drive;
  drive.set_driveName("DRV1");
  drive.set_driveType("LTO");
  drive.set_isOnline(true);
  rsm.get_drives()->push_back(drive);
  TSMLibs scsi;
  scsi.set_libName("LIB2");
  scsi.set_libType("SCSI");
  scsi.set_libSerial("SER9");
  TSMStandAloneLib volume;
  volume.set_libName("/tsm/file/a b.bfs");
  volume.set_storagePath("/tsm/file/a b.bfs");
  volume.set_storageType("FILE");
  volume.set_deviceStatus("online");
  volume.set_deviceStorage(2048);
  ASSERT_TRUE(rsm.BuildLib(&libraries) && scsi.BuildLib(&libraries) && volume.BuildStandAloneLib(&libraries));
  FDC::ForeignMediaList media;
  TSMMedia tape;
  tape.set_mediaName("VOL1");
  tape.set_mediaType("disk");
  tape.set_mediaCapacity("2048.5");
  tape.set_libraryName("LIB1");
  ASSERT_TRUE(tape.BuildMedia(&media) && volume.BuildMediaForStandAloneLib(&media));
  FDC::ForeignLibraries withDefault;
  BuildDefaultLib(withDefault);
  const CNMessageBase* def =
      At(Sub(&withDefault, FDC::ForeignLibraries::libraryList), FDC::ForeignLibraryList::libraries, 0);

  auto lib = [&](size_t i) { return At(&libraries, FDC::ForeignLibraryList::libraries, i); };
  auto drv = [](const CNMessageBase* l) {
    return At(Sub(l, Lib::drives), FDC::ForeignDriveList::driveItems, 0);
  };
  auto host = [](const CNMessageBase* l) {
    return Scalars(At(Sub(l, Lib::hosts), FDC::ForeignLibraryHostList::hostItems, 0));
  };
  auto medium = [&](size_t i) { return At(&media, FDC::ForeignMediaList::mediaItems, i); };
  const std::string tsmHost =
      "serverName=SRV1 hostName=" + host_ + " field9=N/A field13=1 field14=0 field15=0";
  const std::pair<std::string, std::string> cases[] = {
      {Scalars(lib(0)), "storageType=1 libraryName=RSMLIB field13=1"},
      {Infos(lib(0), Lib::info),
       "8:1:1|1:3:Library Migrated From TSM|2:3:rsm|3:3:Unknown|4:3:1|5:3:Unknown|6:3:Unknown|7:3:{0,0,0,0}|"
       "21:1:0|17:1:2|19:1:0"},
      {host(lib(0)), tsmHost},
      {Infos(drv(lib(0)), FDC::ForeignDriveItem::info),
       "151:3:DRV1|155:3:unknown|158:1:3|1:3:External StandAlone Drive|152:3:LTO|154:3:unknown|153:3:LTO|"
       "157:1:1|159:3:SRV1|161:1:1|160:1:121"},
      {Infos(lib(1), Lib::info) + (Sub(lib(1), Lib::drives) != nullptr ? " drives" : " no drive list"),
       "8:1:1|1:3:Library Migrated From TSM|2:3:SCSI|3:3:Unknown|4:3:1|5:3:SER9|6:3:Unknown|7:3:{0,0,0,0}|"
       "21:1:0|17:1:1|19:1:0 no drive list"},
      {Scalars(lib(2)), "storageType=3 libraryName=/tsm/file/a b.bfs field13=1"},
      {Infos(lib(2), Lib::info),
       "8:1:3|1:3:External StandAlone Magnetic Library|11:3:/tsm/file/a b.bfs|12:2:2048|13:2:0|"
       "14:3:/tsm/file/a b.bfs|2:3:Magnetic|3:3:Magnetic|4:3:Magnetic|5:3:Magnetic|7:3:{0,0,0,0}|17:1:4"},
      {host(lib(2)), tsmHost},
      {Infos(drv(lib(2)), FDC::ForeignDriveItem::info),
       "151:3:/tsm/file/a b.bfs|155:3:/tsm/file/a b.bfs|158:1:3|1:3:External StandAlone Library|"
       "152:3:Magnetic|154:3:Magnetic|153:3:FILE|157:1:1|159:3:SRV1|161:1:1"},
      {Scalars(medium(0)) + " " + Infos(medium(0), FDC::ForeignMediaItem::info),
       "libraryName=LIB1 field5=2 mediaName=VOL1 208:2:2048.5|209:2:0|11:3:VOL1|201:1:2|207:3:VOL1"},
      {Scalars(medium(1)) + " " + Infos(medium(1), FDC::ForeignMediaItem::info),
       "libraryName=/tsm/file/a b.bfs field5=2 mediaName=/tsm/file/a b.bfs 208:2:2048|209:2:0|"
       "11:3:/tsm/file/a b.bfs|201:1:2|207:3:/tsm/file/a b.bfs"},
      {Scalars(def), "storageType=3 libraryName=TSM_SRV1_DEFAULT_LIBRARY field6=1 field13=1"},
      {Infos(def, Lib::info),
       "161:1:1|8:1:3|1:3:Default Media Library created for TSM|11:3:(unknown)|14:3:(unknown)|15:2:0|16:2:0|"
       "2:3:Magnetic|3:3:Magnetic|4:3:Magnetic|5:3:Magnetic|7:3:{0,0,0,0}|17:1:4"},
      {Infos(drv(def), FDC::ForeignDriveItem::info),
       "158:1:3|151:3:@aaab|152:3:Magnetic|153:3:Generic disk volume|154:3:Magnetic|155:3:@aaab|157:1:1|"
       "159:3:SRV1"},
      {host(def), "serverName=SRV1 hostName=" + host_ + " field9= field13=1 field14=0 field15=0"},
  };
  for (const auto& [built, expected] : cases) EXPECT_EQ(built, expected);
}

// "policy[copy>data path library, ...]" for each policy of `list`.
std::string Policies(const FDC::StoragePolicyList& list) {
  using P = FDC::StoragePolicy;
  using C = FDC::StoragePolicyCopy;
  std::string text;
  for (size_t p = 0; At(&list, FDC::StoragePolicyList::storagePolicies, p) != nullptr; ++p) {
    const CNMessageBase* policy = At(&list, FDC::StoragePolicyList::storagePolicies, p);
    text += (p > 0 ? " " : "") + policy->getstring(1, 1) + "[";
    for (size_t c = 0; At(policy, P::copies, c) != nullptr; ++c) {
      const CNMessageBase* copy = At(policy, P::copies, c);
      text += (c > 0 ? "," : "") + copy->getstring(3, 6) + ">" + At(copy, C::dataPaths, 0)->getstring(5, 17);
    }
    text += "]";
  }
  return text;
}

TEST_F(BuilderTest, PolicyMergeByPoolNameWithTheDefaultPolicyLast) {
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
  const CNMessageBase* pool = At(&list, FDC::StoragePolicyList::storagePolicies, 0);
  const CNMessageBase* def = At(&list, FDC::StoragePolicyList::storagePolicies, 3);
  const std::string tz = GetTimeZoneDisplayNameA();
  const std::pair<std::string, std::string> cases[] = {
      {Scalars(pool),
       "storagePolicyName=PoolA defaultCopyName=PoolA field14=5 snapCopyName=PoolA field20=0 "
       "timeZoneName=" +
           tz},
      {Scalars(At(pool, FDC::StoragePolicy::copies, 2)),
       "storagePolicyName=PoolA field5=1 copyName=LIB2 field10=0 field11=0 field12=1 field13=1 field14=0 "
       "field15=5 field16=0 field17=0 description=TSM Migrated copy field23=-1"},
      {Scalars(At(At(pool, FDC::StoragePolicy::copies, 0), FDC::StoragePolicyCopy::dataPaths, 0)),
       "storagePolicyName=poola copyName=/d/v 1 poolName=NO_POOL serverName=SRV1 libraryName=/d/v 1 "
       "field21=0 "
       "field22=1 field23=1 field24=0 field25=0 field26=0 field27=0"},
      {Scalars(def),
       "storagePolicyName=TSM_SRV1_Default_SP description=Default Catch All Storage Policy "
       "defaultCopyName=DEFAULT_COPY_NAME field13=0 field14=5 snapCopyName=DEFAULT_SNAPCOPY_NAME "
       "field19=0 field20=0 timeZoneName=" +
           tz},
      {Scalars(At(def, FDC::StoragePolicy::copies, 0)),
       "storagePolicyName=TSM_SRV1_Default_SP field5=1 copyName=DEFAULT_COPY_NAME field10=0 field11=0 "
       "field12=1 field13=1 field14=0 field15=0 field16=0 field17=0 description=TSM Default Copy field23=-1"},
  };
  for (const auto& [built, expected] : cases) EXPECT_EQ(built, expected);
}

TEST_F(BuilderTest, TapeLibraryKeepsItsPortSkipsTypeOneAndSlicesDeviceIds) {
  std::vector<CTSMDeviceInfo> devices = {
      {8, "/dev/st0", 1, 2, 3, 2, "SN0", "WWN0", "IBM     ULT3580-TD5     B170xx"},
      {1, "/dev/sg1", 0, 0, 0, 2, "", "", "changer"},
      {8, "/dev/st2", 0, 0, 0, 3, "", "", "other port"},
      {8, "/dev/st3", 0, 0, 0, 2, "SN3", "", "0123456789"},
  };
  Lib library;
  zyfields::SetInt(&library, Lib::storageType, 1);
  EXPECT_EQ(BuildTapeLibrary(library, &devices, 2), 1);
  const CNMessageList* drives = Items(Sub(&library, Lib::drives), FDC::ForeignDriveList::driveItems);
  ASSERT_EQ(drives->size(), 2u);
  EXPECT_EQ(Infos(drives->at(0), FDC::ForeignDriveItem::info),
            "158:1:1|151:3:/dev/st0|1:3:IBM     ULT3580-TD5     B170xx|152:3:IBM     |153:3:ULT3580-TD5     |"
            "154:3:B170xx|155:3:SN0|156:3:WWN0|157:1:1|7:3:{1, 2, 3, 2}|159:3:TSM_SRV1|161:1:1|160:1:0");
  EXPECT_EQ(Infos(drives->at(1), FDC::ForeignDriveItem::info),
            "158:1:1|151:3:/dev/st3|1:3:0123456789|152:3:01234567|153:3:89|154:3:|155:3:SN3|156:3:|157:1:2|"
            "7:3:{0, 0, 0, 2}|159:3:TSM_SRV1|161:1:1|160:1:0");
  Lib empty;
  std::vector<CTSMDeviceInfo> none;
  BuildTapeLibrary(empty, &none, 2);
  EXPECT_NE(Items(Sub(&empty, Lib::drives), FDC::ForeignDriveList::driveItems), nullptr);
}

}  // namespace

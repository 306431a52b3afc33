// Clients, tasks and storage from their reply messages into the model.
#include <string>

#include "host/Messages.h"
#include "tools/tsm-discover/report/MessageRead.h"
#include "tools/tsm-discover/report/PatternWords.h"
#include "tools/tsm-discover/report/ReplyReader.h"

namespace tsmreport {
namespace {

// Component types the client builder gives the server's entries.
constexpr long long kMasterServer = 1;
constexpr long long kMediaServer = 11;
constexpr const char* kVersionAttribute = "Foreign Client Version";
constexpr const char* kDefaultInstance = "DefaultInstanceName";

// Info item keys of drives and media.
constexpr long long kDriveName = 151;
constexpr long long kDriveType = 152;
constexpr long long kDriveSerial = 155;
constexpr long long kDriveOnline = 161;
constexpr long long kMediaCapacity = 208;

void Join(std::string* to, const std::string& item, const char* separator = ", ") {
  if (item.empty()) return;
  if (!to->empty()) *to += separator;
  *to += item;
}

std::string InfoValue(const CNMessageBase* infoList, long long key) {
  std::string value;
  ForEach(infoList, FDC::InfoItemList::infoItems, [&](const CNMessageBase& item) {
    if (Int(&item, FDC::InfoItem::key) == key) value = Text(&item, FDC::InfoItem::value);
  });
  return value;
}

std::string OsWords(const CNMessageBase* os) {
  std::string words = Text(os, App::OperatingSystem::osFamily);
  Join(&words, Text(os, App::OperatingSystem::osFlavour), " ");
  Join(&words, Text(os, App::OperatingSystem::osVersion), " ");
  return words;
}

SubclientRow SubclientOf(const CNMessageBase& sc) {
  SubclientRow row;
  row.name =
      Text(Child(&sc, App::SubClientInfo::subclientEntity), ZyEntities::SubclientEntity::subclientName);
  ForEach(&sc, App::SubClientInfo::content, [&](const CNMessageBase& c) {
    const std::string value = Text(&c, App::AttributeInfoEx::value);
    if (!value.empty()) row.content.push_back(value);
  });
  return row;
}

// Agents, subclients and DB2 instances of one client's pods.
void AddPods(const CNMessageBase* client, ClientRow* row, ReportModel* model) {
  ForEach(client, App::Client::pods, [&](const CNMessageBase& pod) {
    const std::string agent = Text(Child(&pod, App::PodInfo::appEntity), ZyEntities::AppEntity::appName);
    Join(&row->agents, agent);
    ++model->agentsByType[agent];
    ForEach(&pod, App::PodInfo::instances, [&](const CNMessageBase& inst) {
      const std::string name =
          Text(Child(&inst, App::InstanceInfo::instanceEntity), ZyEntities::InstanceEntity::instanceName);
      if (name != kDefaultInstance) Join(&row->db2, name);
      ForEach(&inst, App::InstanceInfo::backupSets, [&](const CNMessageBase& set) {
        ForEach(&set, App::BackupSetInfo::subclients,
                [&](const CNMessageBase& sc) { row->subclients.push_back(SubclientOf(sc)); });
      });
    });
  });
}

ClientRow ClientOf(const CNMessageBase& info, ReportModel* model) {
  ClientRow row;
  const CNMessageBase* client = Child(&info, App::ClientInfo::client);
  const CNMessageBase* entity = Child(client, App::Client::clientEntity);
  row.name = Text(entity, ZyEntities::ClientEntity::clientName);
  row.host = Text(entity, ZyEntities::ClientEntity::hostName);
  row.os = OsWords(Child(client, App::Client::operatingSystem));
  ForEach(client, App::Client::components, [&](const CNMessageBase& c) {
    const long long type =
        Int(Child(&c, App::ComponentInfo::componentEntity), ZyEntities::ComponentEntity::componentType);
    if (type == kMasterServer) Join(&row.marks, "master");
    if (type == kMediaServer) Join(&row.marks, "media server");
  });
  ForEach(Child(&info, App::ClientInfo::attributes), App::ClientAttributes::attributeList,
          [&](const CNMessageBase& a) {
            if (Text(&a, App::AttributeInfo::name) == kVersionAttribute)
              row.version = Text(&a, App::AttributeInfo::value);
          });
  const CNMessageBase* zyphor = Child(Child(&info, App::ClientInfo::settings), App::ClientSettings::zyphor);
  if (model->server.empty()) model->server = Text(zyphor, ZyEntities::ZyphorEntity::zyphorName);
  AddPods(client, &row, model);
  return row;
}

PatternValues ValuesOf(const CNMessageBase* p) {
  using P = TMMsg::SubTaskPattern;
  using D = TMMsg::DaysToRun;
  PatternValues v;
  if (p == nullptr) return v;
  v.present = true;
  v.kind = Int(p, P::frequencyType);
  v.startDate = Int(p, P::startDate);
  v.startTimeOfDay = Int(p, P::startTimeOfDay);
  v.endDate = Int(p, P::endDate);
  v.endTimeOfDay = Int(p, P::endTimeOfDay);
  v.endDateSet = Int(p, P::endDateSet);
  v.dayValue = Int(p, P::dayValue);
  v.weekOfMonth = Int(p, P::weekOfMonth);
  v.recurrenceFactor = Int(p, P::recurrenceFactor);
  v.repeatIntervalSeconds = Int(p, P::repeatIntervalSeconds);
  const CNMessageBase* days = Child(p, P::daysToRun);
  static constexpr FieldRef kFlags[] = {D::sunday,   D::monday, D::tuesday, D::wednesday,
                                        D::thursday, D::friday, D::saturday};
  for (int d = 0; d < 7; ++d) {
    if (Int(days, kFlags[d]) != 0) v.dayFlags |= 1u << d;
  }
  v.flagDayOfMonth = Int(days, D::dayOfMonth);
  v.flagWeekOfMonth = Int(days, D::weekOfMonth);
  v.flagDayKind = Int(days, D::dayKind);
  return v;
}

SubTaskRow SubTaskOf(const CNMessageBase& st) {
  using P = TMMsg::SubTaskPattern;
  SubTaskRow row;
  row.name = Text(Child(&st, TMMsg::SubTaskInfo::subTaskHeader), TMMsg::SubTaskHeader::subTaskName);
  const CNMessageBase* p = Child(&st, TMMsg::SubTaskInfo::pattern);
  row.words = PatternWords(p);
  row.start = PatternDateTime(Int(p, P::startDate), Int(p, P::startTimeOfDay));
  row.end =
      Int(p, P::endDateSet) != 0 ? PatternDateTime(Int(p, P::endDate), Int(p, P::endTimeOfDay)) : "none";
  row.zone = Text(Child(p, P::timeZone), ZyEntities::TimeZoneEntity::timeZoneStdName);
  row.pattern = ValuesOf(p);
  return row;
}

}  // namespace

void AddClients(const CNMessageBase& list, ReportModel* model) {
  ForEach(&list, App::ClientsList::clients,
          [&](const CNMessageBase& info) { model->clients.push_back(ClientOf(info, model)); });
}

void AddTask(const CNMessageBase& request, ReportModel* model) {
  const CNMessageBase* def = Child(&request, TMMsg::CreateTaskReq::taskDefinition);
  const CNMessageBase* header = Child(def, TMMsg::TaskDefinition::taskHeader);
  TaskRow task;
  task.name = Text(header, TMMsg::TaskHeader::taskName);
  task.description = Text(header, TMMsg::TaskHeader::description);
  ForEach(def, TMMsg::TaskDefinition::associations, [&](const CNMessageBase& e) {
    task.clients.push_back(Text(&e, ZyEntities::GenericEntity::clientName));
  });
  ForEach(def, TMMsg::TaskDefinition::subTasks,
          [&](const CNMessageBase& st) { task.subtasks.push_back(SubTaskOf(st)); });
  model->subtasks += static_cast<long>(task.subtasks.size());
  model->tasks.push_back(std::move(task));
}

void AddLibraries(const CNMessageBase& libraries, ReportModel* model) {
  const CNMessageBase* list = Child(&libraries, FDC::ForeignLibraries::libraryList);
  ForEach(list, FDC::ForeignLibraryList::libraries, [&](const CNMessageBase& item) {
    LibraryRow lib;
    lib.name = Text(&item, FDC::ForeignLibraryItem::libraryName);
    ForEach(Child(&item, FDC::ForeignLibraryItem::drives), FDC::ForeignDriveList::driveItems,
            [&](const CNMessageBase& d) {
              const CNMessageBase* info = Child(&d, FDC::ForeignDriveItem::info);
              DriveRow drive{InfoValue(info, kDriveName), InfoValue(info, kDriveType),
                             InfoValue(info, kDriveSerial), InfoValue(info, kDriveOnline) != "0"};
              ++(drive.online ? model->drivesOnline : model->drivesOffline);
              lib.drives.push_back(std::move(drive));
            });
    model->libraries.push_back(std::move(lib));
  });
}

void AddMedia(const CNMessageBase& medias, ReportModel* model) {
  const CNMessageBase* list = Child(&medias, FDC::ForeignMedias::mediaList);
  ForEach(list, FDC::ForeignMediaList::mediaItems, [&](const CNMessageBase& item) {
    model->media.push_back({Text(&item, FDC::ForeignMediaItem::libraryName),
                            Text(&item, FDC::ForeignMediaItem::mediaName),
                            InfoValue(Child(&item, FDC::ForeignMediaItem::info), kMediaCapacity)});
  });
}

void AddPolicies(const CNMessageBase& list, ReportModel* model) {
  ForEach(&list, FDC::StoragePolicyList::storagePolicies, [&](const CNMessageBase& sp) {
    PolicyRow policy{Text(&sp, FDC::StoragePolicy::storagePolicyName), {}};
    ForEach(&sp, FDC::StoragePolicy::copies, [&](const CNMessageBase& c) {
      CopyRow copy{Text(&c, FDC::StoragePolicyCopy::copyName), Text(&c, FDC::StoragePolicyCopy::description),
                   ""};
      ForEach(&c, FDC::StoragePolicyCopy::dataPaths, [&](const CNMessageBase& dp) {
        Join(&copy.dataPaths, Text(&dp, FDC::StoragePolicyDataPath::poolName) + " on " +
                                  Text(&dp, FDC::StoragePolicyDataPath::libraryName));
      });
      policy.copies.push_back(std::move(copy));
    });
    model->policies.push_back(std::move(policy));
  });
}

}  // namespace tsmreport

// Media discovery: libraries with their drives, stand-alone disk
// libraries, media and storage policies, handed over as four messages.
//
// All four queries run first and keep only their records; each message
// is then built just before its hand-over and destroyed after it, so at
// most one message tree is in memory at a time.
#include <vector>

#include "handler/CForeignHandlerTSM.h"
#include "host/EvDebug.h"
#include "host/MessageFields.h"
#include "host/Messages.h"
#include "storage/CForeignHandlerTSMLibs.h"
#include "storage/CForeignHandlerTSMMedia.h"
#include "storage/CForeignHandlerTSMStandAloneLibs.h"
#include "storage/CForeignHandlerTSMStoragePolicy.h"
#include "storage/DefaultLibrary.h"

using namespace zyfields;

namespace {

constexpr const char* kFunction = "DiscoverMedia";
// dsmadmc's "no match" status: an empty answer, not a failure.
constexpr int kNoMatch = 11;

// What the four queries found, in query order.
struct StorageRecords {
  std::vector<TSMStandAloneLib> standAlone;
  std::vector<TSMLibs> libraries;
  std::vector<TSMMedia> media;
  std::vector<TSMStoragePolicy> policies;
};

// The header the library and both media messages carry.
struct ReplyHeader {
  std::string requestName;
  long long productType;

  template <class Message>
  void FillIn(Message& message) const {
    SetString(&message, Message::requestName, requestName);
    SetString(&message, Message::zyphorName, CForeignHandlerTSM::GenerateZyphorName());
    SetInt(&message, Message::productType, productType);
    SetInt(&message, Message::field11, 0);
  }
};

template <class Fetcher>
void Prepare(Fetcher& fetcher, const TSMAdminInfo& admin, long long jobId) {
  fetcher.SetLogin(admin.login);
  fetcher.SetPassword(admin.password);
  fetcher.set_JobId(jobId);
}

// Runs the four queries in their fixed order. A failed query contributes
// nothing, except the storage policy query, whose parsed lines count even
// after a failure.
StorageRecords FetchStorage(const TSMAdminInfo& admin, long long jobId) {
  EvEvent ev;
  StorageRecords found;
  CTSMStandAloneLibs standAlone;
  Prepare(standAlone, admin, jobId);
  if (standAlone.FetchData(nullptr)) {
    found.standAlone = std::move(*standAlone.get_stdaloneLibs());
    ev.DebugLvl(kFunction, 1, "Collected [%d] numbers of standalone media",
                static_cast<int>(found.standAlone.size()));
  }
  CTSMLibs libraries;  // runs the drive queries while it parses
  Prepare(libraries, admin, jobId);
  if (libraries.FetchData(nullptr)) {
    found.libraries = std::move(*libraries.get_tsmlibs());
    ev.DebugLvl(kFunction, 1, "Collected [%d] libraries", static_cast<int>(found.libraries.size()));
  }
  CTSMMedia media;
  Prepare(media, admin, jobId);
  media.AddSuccessRetCode(0);
  media.AddSuccessRetCode(kNoMatch);
  if (media.FetchData(nullptr)) {
    found.media = std::move(*media.get_tsmmedia());
    ev.DebugLvl(kFunction, 1, "Collected [%d] media", static_cast<int>(found.media.size()));
  }
  CTSMSPFetcher policies;
  Prepare(policies, admin, jobId);
  policies.AddSuccessRetCode(0);
  policies.AddSuccessRetCode(kNoMatch);
  if (policies.FetchData(nullptr)) {
    ev.Debug(kFunction, "Fetched [%d] entries for Storage Policies",
             static_cast<int>(policies.get_tsmsp()->size()));
  }
  found.policies = std::move(*policies.get_tsmsp());
  return found;
}

bool HandOver(CForeignHandlerBase& handler, CNMessageBase& message, const char* what) {
  if (handler.DumpXmlMsgToFile(&message, 0, false)) return true;
  EvEvent ev;
  ev.Error(kFunction, "Unable to hand over the %s", what);
  return false;
}

// Default library first, then the stand-alone libraries, then the TSM
// libraries with their drives.
bool HandOverLibraries(CForeignHandlerBase& handler, const StorageRecords& found, const ReplyHeader& header) {
  FDC::ForeignLibraries message;
  header.FillIn(message);
  BuildDefaultLib(message);
  auto* list = Object<FDC::ForeignLibraryList>(&message, FDC::ForeignLibraries::libraryList);
  for (const TSMStandAloneLib& volume : found.standAlone) volume.BuildStandAloneLib(list);
  for (const TSMLibs& library : found.libraries) library.BuildLib(list);
  return HandOver(handler, message, "libraries");
}

// The stand-alone and the tape media never share a message.
bool HandOverMedia(CForeignHandlerBase& handler, const StorageRecords& found, const ReplyHeader& header) {
  // Without media a reply carries its header fields only, no empty list.
  FDC::ForeignMedias standAlone;
  header.FillIn(standAlone);
  if (!found.standAlone.empty()) {
    auto* list = Object<FDC::ForeignMediaList>(&standAlone, FDC::ForeignMedias::mediaList);
    for (const TSMStandAloneLib& volume : found.standAlone) volume.BuildMediaForStandAloneLib(list);
  }
  if (!HandOver(handler, standAlone, "stand-alone media")) return false;
  standAlone = FDC::ForeignMedias();  // free it before the tape media are built

  FDC::ForeignMedias tape;
  header.FillIn(tape);
  if (!found.media.empty()) {
    auto* list = Object<FDC::ForeignMediaList>(&tape, FDC::ForeignMedias::mediaList);
    for (const TSMMedia& medium : found.media) medium.BuildMedia(list);
  }
  return HandOver(handler, tape, "tape media");
}

// Stand-alone policies first, pool copies merged into them or appended,
// the default policy last.
bool HandOverPolicies(CForeignHandlerBase& handler, const StorageRecords& found) {
  FDC::StoragePolicyList message;
  SetString(&message, FDC::StoragePolicyList::zyphorName, CForeignHandlerTSM::GenerateZyphorName());
  SetInt(&message, FDC::StoragePolicyList::field11, 0);
  for (const TSMStandAloneLib& volume : found.standAlone) volume.BuildStoragePolicy(&message);
  for (const TSMStoragePolicy& record : found.policies) record.BuildStoragePolicy(&message);
  AppendDefaultStoragePolicy(&message);
  return HandOver(handler, message, "storage policies");
}

}  // namespace

bool CForeignHandlerTSM::DiscoverMedia(CNMessageBase* config) {
  EvEvent ev;
  if (config == nullptr) {
    ev.Error(kFunction, "No configuration message given");
    return false;
  }
  const ReplyHeader header{GetString(config, FDC::ExternalNBUConfig::field1), GetProductType()};
  TSMAdminInfo admin;
  admin.SetLogin(GetString(config, FDC::ExternalNBUConfig::adminLogin));
  admin.SetPassword(GetString(config, FDC::ExternalNBUConfig::adminPassword));

  // Asked before the queries; the answer only decides the hand-over.
  const bool goOn = CheckServerControlMessage();
  const StorageRecords found = FetchStorage(admin, GetJobId());
  if (!goOn) {
    ev.DebugLvl(kFunction, 1, "Server control check failed; nothing handed over");
    return false;
  }
  // A failed hand-over stops the rest: later messages refer to earlier ones.
  return HandOverLibraries(*this, found, header) && HandOverMedia(*this, found, header) &&
         HandOverPolicies(*this, found);
}

#include "host/CForeignHandlerBase.h"

#include <utility>

#include "host/EvDebug.h"
#include "host/HandOver.h"

CForeignHandlerBase::CForeignHandlerBase() = default;
CForeignHandlerBase::CForeignHandlerBase(long long value) : value_(value) {}
CForeignHandlerBase::~CForeignHandlerBase() = default;

bool CForeignHandlerBase::DiscoverConfig(CNMessageBase*) { return true; }
bool CForeignHandlerBase::DiscoverStoragePolicies(CNMessageBase*) { return true; }
bool CForeignHandlerBase::DiscoverClients(CNMessageBase*) { return true; }
bool CForeignHandlerBase::DiscoverJobs(CNMessageBase*) { return true; }
bool CForeignHandlerBase::DiscoverMedia(CNMessageBase*) { return true; }
bool CForeignHandlerBase::DiscoverSchedule(CNMessageBase*) { return true; }
bool CForeignHandlerBase::RetrieveMetadata() { return true; }
bool CForeignHandlerBase::DoRestore(CNMessageBase*) { return true; }
int CForeignHandlerBase::GetProductType() const { return channel_ != nullptr ? channel_->ProductType() : 0; }
std::string CForeignHandlerBase::GetPostProcessingContent() { return std::string(); }
bool CForeignHandlerBase::GetResourcesForBackup(std::vector<GetArchFileListForJobRetCC_t>&) { return true; }
bool CForeignHandlerBase::PrepareContentForPostProcessing() { return true; }
bool CForeignHandlerBase::PostProcessingCleanup() { return true; }
bool CForeignHandlerBase::DiscoverDriveHistory(CNMessageBase*) { return true; }
void CForeignHandlerBase::setRestartString(std::string restart) { restart_ = std::move(restart); }
bool CForeignHandlerBase::GetResourcesForBackup(std::vector<ArchFileListByTimeElement_t>&) { return true; }

CKaError CForeignHandlerBase::_SendMessage(CNMessageBase& msg, int, bool& sent, int timeoutSeconds) {
  sent = false;
  if (channel_ == nullptr) return CKaError(1, "no host channel: message not sent");
  CKaError result = channel_->Send(msg, timeoutSeconds);
  sent = !result.IsError();
  return result;
}

CNMessageBase* CForeignHandlerBase::_ReceiveMessage(unsigned long signature, bool& received,
                                                    int timeoutSeconds) {
  received = false;
  if (channel_ == nullptr) return nullptr;
  std::unique_ptr<CNMessageBase> message = channel_->Receive(signature, timeoutSeconds);
  received = message != nullptr;
  return message.release();  // the host interface hands ownership to the caller
}

bool CForeignHandlerBase::DumpXmlMsgToFile(CNMessageBase* msg, unsigned int, bool) {
  static const char* const kFunction = "CForeignHandlerBase::DumpXmlMsgToFile";
  EvDebug log;
  if (msg == nullptr) {
    log.Error(kFunction, "No message to hand over");
    return false;
  }
  std::string dir = zyhost::HandOverDirectory();
  if (dir.empty()) {
    log.Error(kFunction, "No hand-over directory configured");
    return false;
  }
  std::string path = dir + "/" + zyhost::HandOverFileName(zyhost::NextHandOverNumber(), "", *msg);
  if (!zyhost::WriteMessageXml(*msg, path)) {
    log.Error(kFunction, "Unable to write message to [%s]", path.c_str());
    return false;
  }
  log.DebugLvl(kFunction, 4, GetJobId(), "Message written to [%s]", path.c_str());
  zyhost::NotifyHandOverWritten(path);
  return true;
}

bool CForeignHandlerBase::CheckServerControlMessage() {
  return channel_ == nullptr || channel_->CheckServerControl();
}

long long CForeignHandlerBase::GetJobId() const { return channel_ != nullptr ? channel_->JobId() : 0; }

void CForeignHandlerBase::SetHostChannel(HostChannel* channel) {
  channel_ = channel;
  hostExchangeDisabled = channel != nullptr && channel->ExchangeDisabled();
  // One discovery job per host process: the fetchers' log lines carry its id.
  if (channel != nullptr) EvDebug::SetDefaultJobId(channel->JobId());
}

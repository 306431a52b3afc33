// Base class of a foreign handler: the discovery operations the host calls
// and the services a handler uses to talk to the host.
//
// The host channel is not owned and must outlive the handler; without one,
// sends fail with an error, nothing is received and the control check
// passes.
#pragma once

#include <string>
#include <vector>

#include "host/CKaError.h"
#include "host/CNMessageBase.h"
#include "host/HostChannel.h"

struct GetArchFileListForJobRetCC_t {
  std::string path;
};
struct ArchFileListByTimeElement_t {
  std::string path;
  long long time = 0;
};

class ZYHOST_API CForeignHandlerBase {
 public:
  CForeignHandlerBase();
  explicit CForeignHandlerBase(long long value);
  virtual ~CForeignHandlerBase();

  CForeignHandlerBase(const CForeignHandlerBase&) = delete;
  CForeignHandlerBase& operator=(const CForeignHandlerBase&) = delete;

  // Operations, in the host's slot order. The base versions do nothing and
  // return true.
  virtual bool DiscoverConfig(CNMessageBase* config);
  virtual bool DiscoverStoragePolicies(CNMessageBase* config);
  virtual bool DiscoverClients(CNMessageBase* config);
  virtual bool DiscoverJobs(CNMessageBase* config);
  virtual bool DiscoverMedia(CNMessageBase* config);
  virtual bool DiscoverSchedule(CNMessageBase* config);
  virtual bool RetrieveMetadata();
  virtual bool DoRestore(CNMessageBase* request);
  virtual int GetProductType() const;
  virtual std::string GetPostProcessingContent();
  virtual bool GetResourcesForBackup(std::vector<GetArchFileListForJobRetCC_t>& resources);
  virtual bool PrepareContentForPostProcessing();
  virtual bool PostProcessingCleanup();
  virtual bool DiscoverDriveHistory(CNMessageBase* request);
  virtual void setRestartString(std::string restart);
  virtual bool GetResourcesForBackup(std::vector<ArchFileListByTimeElement_t>& resources);

  // Host services.
  CKaError _SendMessage(CNMessageBase& msg, int flags, bool& sent, int timeoutSeconds);
  // Newly allocated message, or null; the caller deletes it.
  CNMessageBase* _ReceiveMessage(unsigned long signature, bool& received, int timeoutSeconds);
  // Writes the reply into the hand-over directory (HandOver.h). False on
  // any failure; never a partial file.
  bool DumpXmlMsgToFile(CNMessageBase* msg, unsigned int flags, bool compress);
  bool CheckServerControlMessage();
  long long GetJobId() const;

  // Attaches the host channel (not owned), takes its exchange switch and
  // makes its job id the default of log lines (one job per host process).
  void SetHostChannel(HostChannel* channel);
  HostChannel* hostChannel() const { return channel_; }
  long long constructionValue() const { return value_; }

  // Read by handlers, never written by them: no message exchange at all.
  bool hostExchangeDisabled = false;

 private:
  HostChannel* channel_ = nullptr;
  long long value_ = 0;
  std::string restart_;
};

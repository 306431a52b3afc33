// The seam between the handler and the host process: messages to and from
// the host, the control check and the job facts. The host program (and
// tests) implement it; CForeignHandlerBase holds a non-owning pointer.
#pragma once

#include <memory>
#include <string>

#include "host/CKaError.h"
#include "host/CNMessageBase.h"

class ZYHOST_API HostChannel {
 public:
  virtual ~HostChannel();

  // Sends one message. A failure comes back as an error, never an
  // exception.
  virtual CKaError Send(const CNMessageBase& message, int timeoutSeconds) = 0;
  // The next message of the class with that signature, or null when none
  // arrived in time.
  virtual std::unique_ptr<CNMessageBase> Receive(unsigned long signature, int timeoutSeconds) = 0;
  // False asks the running operation to stop.
  virtual bool CheckServerControl() { return true; }
  virtual long long JobId() const { return 0; }
  virtual int ProductType() const { return 0; }
  // True when the host wants no message exchange at all.
  virtual bool ExchangeDisabled() const { return false; }
};

// A channel that writes every sent message into the hand-over directory as
// NNNNNN-sent-Group.Class.xml, in the same sequence as the hand-overs, and
// answers Receive() from a queue the owner fills. Used by tsm-discover and
// by tests.
class ZYHOST_API RecordingHostChannel : public HostChannel {
 public:
  RecordingHostChannel();
  ~RecordingHostChannel() override;

  CKaError Send(const CNMessageBase& message, int timeoutSeconds) override;
  std::unique_ptr<CNMessageBase> Receive(unsigned long signature, int timeoutSeconds) override;
  bool CheckServerControl() override { return controlOk_; }
  long long JobId() const override { return jobId_; }
  bool ExchangeDisabled() const override { return exchangeDisabled_; }

  // Queues an answer for a later Receive() of the same signature.
  void QueueAnswer(const CNMessageBase& message);
  void set_JobId(long long id) { jobId_ = id; }
  void set_ControlOk(bool ok) { controlOk_ = ok; }
  void set_ExchangeDisabled(bool disabled) { exchangeDisabled_ = disabled; }
  // Copies of everything sent, in order.
  const std::vector<std::unique_ptr<CNMessageBase>>& sent() const { return sent_; }

 private:
  std::vector<std::unique_ptr<CNMessageBase>> sent_;
  std::vector<std::unique_ptr<CNMessageBase>> answers_;
  long long jobId_ = 0;
  bool controlOk_ = true;
  bool exchangeDisabled_ = false;
};

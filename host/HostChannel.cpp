#include "host/HostChannel.h"

#include <utility>

#include "host/EvDebug.h"
#include "host/HandOver.h"

HostChannel::~HostChannel() = default;

RecordingHostChannel::RecordingHostChannel() = default;
RecordingHostChannel::~RecordingHostChannel() = default;

CKaError RecordingHostChannel::Send(const CNMessageBase& message, int) {
  sent_.push_back(message.Clone());
  std::string dir = zyhost::HandOverDirectory();
  if (dir.empty()) return CKaError();
  std::string path = dir + "/" + zyhost::HandOverFileName(zyhost::NextHandOverNumber(), "sent", message);
  if (!zyhost::WriteMessageXml(message, path)) {
    EvDebug::Write("RecordingHostChannel::Send", -1, 0, "Unable to record sent message in [" + path + "]");
    return CKaError(1, "unable to record the sent message in " + path);
  }
  zyhost::NotifyHandOverWritten(path);
  return CKaError();
}

std::unique_ptr<CNMessageBase> RecordingHostChannel::Receive(unsigned long signature, int) {
  for (auto it = answers_.begin(); it != answers_.end(); ++it) {
    if (MessageSignature((*it)->group(), (*it)->classId()) == signature) {
      std::unique_ptr<CNMessageBase> answer = std::move(*it);
      answers_.erase(it);
      return answer;
    }
  }
  return nullptr;
}

void RecordingHostChannel::QueueAnswer(const CNMessageBase& message) { answers_.push_back(message.Clone()); }

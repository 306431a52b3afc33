#include "host/HandOver.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "host/MessageSchema.h"

namespace zyhost {

namespace {

struct HandOverState {
  std::mutex mutex;
  std::string directory;
  std::atomic<unsigned> sequence{0};
  std::mutex listenerMutex;
  std::function<void(const std::string&)> listener;
};

HandOverState& State() {
  static HandOverState* state = new HandOverState();  // never destroyed: dumps may run at exit
  return *state;
}

// "App.ClientsList", or "30.999" when the schema does not know the pair.
std::string TypeForFileName(const CNMessageBase& message) {
  std::string group = MessageGroupName(message.group());
  std::string cls = MessageClassName(message.group(), message.classId());
  if (group.empty() || cls.empty()) {
    return std::to_string(message.group()) + "." + std::to_string(message.classId());
  }
  return group + "." + cls;
}

}  // namespace

void SetHandOverDirectory(const std::string& dir) {
  HandOverState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.directory = dir;
}

std::string HandOverDirectory() {
  HandOverState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.directory;
}

void SetHandOverListener(std::function<void(const std::string& path)> listener) {
  HandOverState& state = State();
  std::lock_guard<std::mutex> lock(state.listenerMutex);
  state.listener = std::move(listener);
}

void NotifyHandOverWritten(const std::string& path) {
  HandOverState& state = State();
  std::lock_guard<std::mutex> lock(state.listenerMutex);
  if (state.listener) state.listener(path);
}

unsigned NextHandOverNumber() { return State().sequence.fetch_add(1) + 1; }

void ResetHandOverSequence() { State().sequence.store(0); }

std::string HandOverFileName(unsigned number, const std::string& tag, const CNMessageBase& message) {
  char digits[16];
  std::snprintf(digits, sizeof(digits), "%06u", number);
  std::string name = digits;
  if (!tag.empty()) name += "-" + tag;
  return name + "-" + TypeForFileName(message) + ".xml";
}

}  // namespace zyhost

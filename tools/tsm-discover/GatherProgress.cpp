#include "tools/tsm-discover/GatherProgress.h"

#include <cstdio>

namespace tsmdiscover {
namespace {

// Often enough to look alive, seldom enough to cost nothing.
constexpr auto kRedraw = std::chrono::milliseconds(200);

}  // namespace

GatherProgress::GatherProgress(size_t total, std::ostream& out, bool terminal)
    : out_(out), terminal_(terminal), total_(total), start_(std::chrono::steady_clock::now()) {}

GatherProgress::~GatherProgress() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!drawn_) return;
  Draw(true);
  out_ << '\n' << std::flush;
}

void GatherProgress::Done(bool ok) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++done_;
  if (!ok) ++failed_;
  Draw(done_ == total_);
}

void GatherProgress::Print(const std::string& line) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (drawn_) out_ << "\r\033[K";  // clear the progress line
  out_ << line << std::flush;
  drawn_ = false;
  Draw(true);
}

void GatherProgress::Draw(bool force) {
  if (!terminal_) return;
  auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - lastDraw_ < kRedraw) return;
  double seconds = std::chrono::duration<double>(now - start_).count();
  char line[128];
  std::snprintf(line, sizeof(line), "\r\033[Kgather: %zu of %zu queries, %.1f s, %zu failed", done_, total_,
                seconds, failed_);
  out_ << line << std::flush;
  drawn_ = true;
  lastDraw_ = now;
}

}  // namespace tsmdiscover

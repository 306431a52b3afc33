// ReadNextRawLine against a plain model of its contract, on files that fit
// ZYFile's buffer and on files that cross its edge at a point the input
// chooses. After a chosen number of lines the rest of the file is read
// with ZYFile::read, which must start right after the last terminator.
//
// Input: byte 0 bit 0 set = edge mode, byte 1 = lines to read before the
// rest is checked, bytes 2-3 = where the edge falls in the tail (edge
// mode), then the file's content (the tail).
#include <cstdint>
#include <string>
#include <vector>

#include "handler/LineReader.h"
#include "host/ZYFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using fuzzsupport::Check;

constexpr size_t kLargestBuffer = 256 * 1024;  // ZYFile's buffer for large files
constexpr char kFileName[] = "lines.txt";

struct ModelLine {
  std::string text;
  size_t next;  // offset after its terminator
};

// The contract of LineReader.h: CR LF, CR and LF each end a line; a last
// line without terminator counts unless it is empty. Offsets count from
// `base`.
std::vector<ModelLine> ModelLines(const std::string& content, size_t base) {
  std::vector<ModelLine> lines;
  std::string current;
  size_t i = 0;
  while (i < content.size()) {
    const char c = content[i++];
    if (c != '\r' && c != '\n') {
      current += c;
      continue;
    }
    if (c == '\r' && i < content.size() && content[i] == '\n') ++i;
    lines.push_back({current, base + i});
    current.clear();
  }
  if (!current.empty()) lines.push_back({current, base + content.size()});
  return lines;
}

void CheckAllLines(const std::string& path, const std::vector<ModelLine>& model, const std::string& input) {
  ZYFile file;
  Check(file.open(path) == 0, "open", input);
  std::string line = "stale";
  size_t n = 0;
  while (ReadNextRawLine(file, line)) {
    Check(n < model.size(), "more lines than the model", input);
    Check(line == model[n].text, "a line differs from the model", input);
    ++n;
  }
  Check(n == model.size(), "fewer lines than the model", input);
  Check(line.empty() && file.getLastError() == 0, "end of file", input);
}

void CheckRestAfter(const std::string& path, const std::string& content, const std::vector<ModelLine>& model,
                    size_t lines, const std::string& input) {
  if (model.empty()) return;
  lines = lines % model.size() + 1;
  ZYFile file;
  Check(file.open(path) == 0, "open", input);
  std::string line;
  for (size_t i = 0; i < lines; ++i) Check(ReadNextRawLine(file, line), "a line the model has", input);
  const size_t from = model[lines - 1].next;
  std::string rest(content.size() - from + 1, '\0');
  const long long got = file.read(&rest[0], rest.size());
  Check(got == static_cast<long long>(content.size() - from), "size of the rest", input);
  rest.resize(static_cast<size_t>(got));
  Check(rest == content.substr(from), "the rest starts after the terminator", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzzsupport::Session session;
  if (size < 4) return 0;
  const std::string input = fuzzsupport::AsString(data, size);
  const bool edge = (data[0] & 1) != 0;
  const size_t linesBeforeRest = data[1];
  const std::string tail = input.substr(4);
  std::string content;
  std::vector<ModelLine> model;
  if (edge) {
    // One line of filler first, so that the buffer ends `before` bytes
    // into the tail.
    const size_t before = (static_cast<size_t>(data[2]) << 8 | data[3]) % (tail.size() + 1);
    const size_t filler = kLargestBuffer - before;
    model.push_back({std::string(filler - 1, 'f'), filler});
    content = model[0].text + '\n';
  }
  for (ModelLine& line : ModelLines(tail, content.size())) model.push_back(std::move(line));
  content += tail;
  const std::string path = fuzzsupport::WriteScratchFile(kFileName, content);
  CheckAllLines(path, model, input);
  CheckRestAfter(path, content, model, linesBeforeRest, input);
  return 0;
}

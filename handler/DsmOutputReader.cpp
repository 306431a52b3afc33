#include "handler/DsmOutputReader.h"

#include <cctype>

#include "handler/LineReader.h"
#include "host/ZYFile.h"

namespace {

constexpr std::string_view kEcho = "ANS8000I";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string_view TrimLeft(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return text.substr(i);
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The lines a client writes above the command echo, at any level from the
// 5.x "Tivoli Storage Manager" to the newest "IBM Storage Protect".
bool IsBannerText(std::string_view line) {
  static constexpr std::string_view kPrefixes[] = {
      "IBM Storage Protect",
      "IBM Spectrum Protect",
      "IBM Tivoli Storage Manager",
      "Tivoli Storage Manager",
      "Session established with server ",
      "Server Version ",
      "Server date/time:",
      "(C) Copyright",
      "(c) Copyright",
      "Copyright",
  };
  const std::string_view text = TrimLeft(line);
  for (std::string_view prefix : kPrefixes) {
    if (StartsWith(text, prefix)) return true;
  }
  return text.find("Command Line Administrative Interface") != std::string_view::npos;
}

// A command echo ends with the closing quote, newer clients adding a full
// stop; a long command may wrap onto further lines until then.
bool EndsEcho(std::string_view line) {
  line = TrimRight(line);
  if (!line.empty() && line.back() == '.') line.remove_suffix(1);
  return !line.empty() && line.back() == '\'';
}

}  // namespace

bool IsDsmMessageLine(std::string_view line) {
  if (line.size() < 8 || (!StartsWith(line, "ANR") && !StartsWith(line, "ANS"))) return false;
  for (size_t i = 3; i < 7; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return false;
  }
  if (!std::isupper(static_cast<unsigned char>(line[7]))) return false;
  return line.size() == 8 || line[8] == ' ';
}

bool DsmOutputFilter::TrackEcho(const std::string& line) {
  if (!inEcho_ && !(StartsWith(line, kEcho) && IsDsmMessageLine(line))) return false;
  inEcho_ = !EndsEcho(line);
  return true;
}

bool DsmOutputFilter::IsBannerLine(const std::string& line) {
  return TrackEcho(line) || TrimLeft(line).empty() || IsBannerText(line);
}

DsmOutputFilter::Verdict DsmOutputFilter::Next(const std::string& line,
                                               const std::vector<std::string>& fields) {
  ++lineNumber_;
  if (dropLeft_ < 0) {
    dropLeft_ = layout_.headerlessWhenMultiToken && fields.size() > 1 ? 0 : layout_.headerLines;
  }
  if (dropLeft_ > 0) {
    --dropLeft_;
    TrackEcho(line);  // an echo in the header may wrap past it
    return Verdict::kSkip;
  }
  if (!dataBegun_ && IsBannerLine(line)) return Verdict::kSkip;
  if (IsDsmMessageLine(line)) {
    if (messages_++ == 0) firstMessage_ = line;
    return Verdict::kSkip;
  }
  if (fields.empty()) return layout_.emptyLineEnds ? Verdict::kEnd : Verdict::kSkip;
  dataBegun_ = true;
  return Verdict::kData;
}

DsmReadEnd ReadDsmOutput(ZYFile& file, const DsmOutputLayout& layout, DsmSplitFunction split,
                         const DsmRecordHandler& onRecord, DsmOutputFilter* filter) {
  DsmOutputFilter own(layout);
  DsmOutputFilter& rules = filter != nullptr ? *filter : own;
  rules = DsmOutputFilter(layout);
  std::string line;
  std::vector<std::string> fields;
  while (ReadNextRawLine(file, line)) {
    split(line, fields);
    switch (rules.Next(line, fields)) {
      case DsmOutputFilter::Verdict::kSkip:
        continue;
      case DsmOutputFilter::Verdict::kEnd:
        return DsmReadEnd::kEmptyLine;
      case DsmOutputFilter::Verdict::kData:
        if (!onRecord(DsmRecord{fields, line, rules.lineNumber()})) return DsmReadEnd::kStopped;
    }
  }
  return file.getLastError() == 0 ? DsmReadEnd::kEndOfFile : DsmReadEnd::kReadError;
}

DsmReadEnd ReadDsmOutputFile(const std::string& path, const DsmOutputLayout& layout, DsmSplitFunction split,
                             const DsmRecordHandler& onRecord, DsmOutputFilter* filter) {
  ZYFile file;
  if (file.open(path, 0, 0, 0) != 0) return DsmReadEnd::kNotOpened;
  return ReadDsmOutput(file, layout, split, onRecord, filter);
}

std::vector<std::vector<std::string>> DsmOutputRecords(std::string_view text, const DsmOutputLayout& layout,
                                                       DsmSplitFunction split) {
  std::vector<std::vector<std::string>> records;
  DsmOutputFilter rules(layout);
  std::string line;
  std::vector<std::string> fields;
  size_t start = 0;
  while (start < text.size()) {
    // The line reader's terminators: CR LF, a lone CR or a lone LF.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    line.assign(text.substr(start, end - start));
    const bool crlf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    start = end + (crlf ? 2 : 1);
    split(line, fields);
    const DsmOutputFilter::Verdict verdict = rules.Next(line, fields);
    if (verdict == DsmOutputFilter::Verdict::kEnd) break;
    if (verdict == DsmOutputFilter::Verdict::kData) records.push_back(fields);
  }
  return records;
}

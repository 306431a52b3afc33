// ReadMessageXml: parses the hand-over format of HandOver.h back into
// messages. Strict: anything the writer would not produce (unknown
// elements or kinds, stray text, duplicate indexes, bad numbers, a
// document type declaration) makes the whole read fail.
#include <fcntl.h>
#include <libxml/xmlreader.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "host/EvDebug.h"
#include "host/HandOver.h"
#include "host/MessageSchema.h"

namespace zyhost {

namespace {

// libxml2 hands its generic messages over in pieces; a line is logged
// when it is complete.
void LogXmlPieces(void*, const char* format, ...) {
  thread_local std::string pending;
  char piece[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(piece, sizeof(piece), format, args);
  va_end(args);
  pending += piece;
  for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
    EvDebug::Write("libxml2", 7, EvDebug::DefaultJobId(), pending.substr(0, end));
  }
}

void LogXmlError(void*, xmlErrorPtr error) {
  if (error == nullptr || error->message == nullptr) return;
  std::string text = error->message;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  EvDebug::Write("libxml2", 7, EvDebug::DefaultJobId(), text);
}

}  // namespace

void RouteXmlMessagesToLog() {
  xmlSetGenericErrorFunc(nullptr, LogXmlPieces);
  xmlSetStructuredErrorFunc(nullptr, LogXmlError);
}

namespace {

bool ParseInt64(const std::string& text, long long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return false;
  *value = v;
  return true;
}

bool ParseInt(const std::string& text, int* value) {
  long long v = 0;
  if (!ParseInt64(text, &v) || v < INT_MIN || v > INT_MAX) return false;
  *value = static_cast<int>(v);
  return true;
}

bool ParseULong(const std::string& text, unsigned long* value) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;  // strtoul takes "-1"
  errno = 0;
  char* end = nullptr;
  unsigned long v = std::strtoul(text.c_str(), &end, 10);
  if (errno != 0 || end != text.c_str() + text.size()) return false;
  *value = v;
  return true;
}

class MessageXmlParser {
 public:
  explicit MessageXmlParser(xmlTextReaderPtr reader) : r_(reader) {}

  std::unique_ptr<CNMessageBase> ParseDocument() {
    if (!NextNode() || !AtElement("message")) return nullptr;
    std::unique_ptr<CNMessageBase> message = ParseMessage();
    if (!message) return nullptr;
    // Only comments and white space may follow the root.
    int rc;
    while ((rc = xmlTextReaderRead(r_)) == 1) {
      if (!Ignorable(xmlTextReaderNodeType(r_))) return nullptr;
    }
    return rc == 0 ? std::move(message) : nullptr;
  }

 private:
  static bool Ignorable(int type) {
    return type == XML_READER_TYPE_COMMENT || type == XML_READER_TYPE_PROCESSING_INSTRUCTION ||
           type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
  }
  static bool IsText(int type) {
    return type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
           type == XML_READER_TYPE_WHITESPACE || type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE;
  }

  // Moves to the next element, end of element or text, skipping what
  // carries no content.
  bool NextNode() {
    for (;;) {
      if (xmlTextReaderRead(r_) != 1) return false;
      if (!Ignorable(xmlTextReaderNodeType(r_))) return true;
    }
  }

  int Type() { return xmlTextReaderNodeType(r_); }

  bool AtElement(const char* name) {
    if (Type() != XML_READER_TYPE_ELEMENT) return false;
    const xmlChar* n = xmlTextReaderConstLocalName(r_);
    return n != nullptr && std::string(reinterpret_cast<const char*>(n)) == name;
  }

  bool Attribute(const char* name, std::string* value) {
    xmlChar* v = xmlTextReaderGetAttribute(r_, reinterpret_cast<const xmlChar*>(name));
    if (v == nullptr) return false;
    value->assign(reinterpret_cast<const char*>(v));
    xmlFree(v);
    return true;
  }

  bool IntAttribute(const char* name, int* value) {
    std::string text;
    return Attribute(name, &text) && ParseInt(text, value);
  }

  // Text content of the current element up to its end; fails on any
  // nested element. Call only for an element that is not empty.
  bool ReadText(std::string* text) {
    text->clear();
    for (;;) {
      if (xmlTextReaderRead(r_) != 1) return false;
      int type = Type();
      if (type == XML_READER_TYPE_END_ELEMENT) return true;
      if (type == XML_READER_TYPE_COMMENT) continue;
      if (!IsText(type)) return false;
      const xmlChar* value = xmlTextReaderConstValue(r_);
      if (value != nullptr) text->append(reinterpret_cast<const char*>(value));
    }
  }

  bool ElementText(std::string* text) {
    if (xmlTextReaderIsEmptyElement(r_)) {
      text->clear();
      return true;
    }
    return ReadText(text);
  }

  bool TypePair(int* group, int* cls) { return IntAttribute("group", group) && IntAttribute("class", cls); }

  // At a <message> element.
  std::unique_ptr<CNMessageBase> ParseMessage() {
    int group = 0;
    int cls = 0;
    if (!TypePair(&group, &cls)) return nullptr;
    std::unique_ptr<CNMessageBase> message = CreateMessage(group, cls);
    return ParseFields(message.get()) ? std::move(message) : nullptr;
  }

  // At a <message> element: its fields into `message`. Nested messages
  // are filled where they end up, so a large reply is never copied.
  bool ParseFields(CNMessageBase* message) {
    if (xmlTextReaderIsEmptyElement(r_)) return true;
    for (;;) {
      if (!NextNode()) return false;
      if (Type() == XML_READER_TYPE_END_ELEMENT) return true;
      if (!AtElement("field") || !ParseField(message)) return false;
    }
  }

  // At a <field> element.
  bool ParseField(CNMessageBase* message) {
    int index = 0;
    int id = 0;
    std::string kind;
    if (!IntAttribute("index", &index) || !IntAttribute("id", &id) || !Attribute("kind", &kind)) return false;
    if (message->isSet(index)) return false;
    if (kind == "string") {
      std::string text;
      if (!ElementText(&text)) return false;
      message->setstring(index, id, text);
      return true;
    }
    if (kind == "int64") {
      std::string text;
      long long value = 0;
      if (!ElementText(&text) || !ParseInt64(text, &value)) return false;
      message->setint64(index, id, value);
      return true;
    }
    if (kind == "object") return ParseObject(message, index, id);
    if (kind == "list") return ParseList(*message->getlistobject(index, id, true));
    if (kind == "intlist") {
      return ParseItems<int>(*message->getlistint(index, id, true),
                             [](const std::string& t, int* v) { return ParseInt(t, v); });
    }
    if (kind == "ulonglist") {
      return ParseItems<unsigned long>(*message->getlistulong(index, id, true), ParseULong);
    }
    return false;
  }

  bool ParseObject(CNMessageBase* message, int index, int id) {
    if (xmlTextReaderIsEmptyElement(r_)) return false;
    int group = 0;
    int cls = 0;
    if (!NextNode() || !AtElement("message") || !TypePair(&group, &cls)) return false;
    CNMessageBase* nested = *message->getObjectAccessor(true, true, index, id, group, cls);
    return ParseFields(nested) && NextNode() && Type() == XML_READER_TYPE_END_ELEMENT;
  }

  bool ParseList(CNMessageList* list) {
    if (xmlTextReaderIsEmptyElement(r_)) return true;
    for (;;) {
      if (!NextNode()) return false;
      if (Type() == XML_READER_TYPE_END_ELEMENT) return true;
      int group = 0;
      int cls = 0;
      if (!AtElement("message") || !TypePair(&group, &cls)) return false;
      if (!ParseFields(list->Append(*CreateMessage(group, cls)))) return false;
    }
  }

  template <typename T, typename Parse>
  bool ParseItems(std::vector<T>* items, Parse parse) {
    if (xmlTextReaderIsEmptyElement(r_)) return true;
    for (;;) {
      if (!NextNode()) return false;
      if (Type() == XML_READER_TYPE_END_ELEMENT) return true;
      std::string text;
      T value{};
      if (!AtElement("item") || !ElementText(&text) || !parse(text, &value)) return false;
      items->push_back(value);
    }
  }

  xmlTextReaderPtr r_;
};

struct ReaderDeleter {
  void operator()(xmlTextReaderPtr r) const { xmlFreeTextReader(r); }
};

}  // namespace

std::unique_ptr<CNMessageBase> ReadMessageXml(const std::string& path) {
  static std::once_flag init;
  std::call_once(init, [] { xmlInitParser(); });
  RouteXmlMessagesToLog();
  // Opened here rather than by libxml2, so the path is never taken for a
  // URI or a compressed file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  std::unique_ptr<CNMessageBase> message;
  {
    // No network, no entity expansion, no noise on stderr: a bad file is
    // simply not a message.
    std::unique_ptr<xmlTextReader, ReaderDeleter> reader(
        xmlReaderForFd(fd, nullptr, nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    // A file may hold fields of another schema version: it is read as it
    // is, not judged by this one.
    ScopedSchemaCheckMode unchecked(SchemaCheckMode::kOff);
    if (reader) message = MessageXmlParser(reader.get()).ParseDocument();
  }
  ::close(fd);  // the reader leaves the descriptor open
  return message;
}

}  // namespace zyhost

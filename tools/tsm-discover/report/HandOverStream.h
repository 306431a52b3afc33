// Reads a hand-over file (the XML format of host/HandOver.h) as a stream,
// building no message: the caller states as a table which field paths it
// wants and is handed each wanted value as the parser meets it. For the
// large replies (job lists of hundreds of MB), where building a message
// tree per file only to keep a few fields costs most of the time.
//
// A file is accepted under the rules of zyhost::ReadMessageXml: well-formed
// XML without a document type declaration; <message> (group and class) as
// the root, as the one message of an object field or as list elements;
// <field> (index, id, a known kind) only in a message, each index once;
// <item> only in intlist and ulonglist fields; numbers that parse; no
// other text than white space between elements.
//
// Values are handed out while the file is read, so when a file turns out
// unreadable part of it has already been seen: a caller that must not
// keep half a file collects what it is given and commits at the end.
// Memory: a 256 KiB read buffer, the parser's own state, one entry per
// open element and the current value's text; nothing stays between calls.
// Calls on distinct sinks may run on several threads.
#pragma once

#include <string>
#include <vector>

#include "host/CNMessageBase.h"

namespace tsmreport {

// Roles name what the caller wants; 0 is "not wanted" (the subtree is
// still checked, nothing in it is handed out).
constexpr int kNotWanted = 0;

// In a message of role `from`, the field `field` (its index and kind must
// match, as the message accessors require; the id is not compared) leads
// to role `to`: for an object or list field, the role of its message(s);
// for a string or int64 field, the role its value is handed out with.
struct WantedStep {
  int from;
  FieldRef field;
  int to;
};

// Receives the wanted values of one file in document order.
class HandOverSink {
 public:
  virtual ~HandOverSink() = default;
  virtual void Text(int role, const std::string& text) = 0;
  virtual void Number(int role, long long value) = 0;
  // A message of a wanted role has ended (all its values were handed out).
  virtual void MessageEnd(int role) = 0;
};

enum class StreamResult {
  kRead,          // the whole file was read and accepted
  kOtherMessage,  // the root message is of another type; nothing was handed out
  kUnreadable,    // cannot be opened or read, or breaks a rule above
};

// Streams `path`, whose root message must be of type (group, cls); the
// root has role `rootRole`.
StreamResult StreamHandOverFile(const std::string& path, int group, int cls, int rootRole,
                                const std::vector<WantedStep>& steps, HandOverSink* sink);

}  // namespace tsmreport

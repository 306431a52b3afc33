// The hand-over of finished replies: one XML file per message in the
// directory the host configured. Process-wide state, shared by every
// handler object and the recording channel.
//
// File format (a contract for tools and tests):
//   <message type="FDC::JobList" group="32" class="11">
//     <field index="2" id="5" name="jobs" kind="list"> <message .../> </field>
//   </message>
// kind: string, int64, object, list, intlist, ulonglist (items as <item>).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/CNMessageBase.h"

namespace zyhost {

// Where DumpXmlMsgToFile writes. Empty (the default) makes every dump fail.
ZYHOST_API void SetHandOverDirectory(const std::string& dir);
ZYHOST_API std::string HandOverDirectory();

// Next number of the process-wide hand-over sequence, from 1.
ZYHOST_API unsigned NextHandOverNumber();
// Resets the sequence to 0; for tests.
ZYHOST_API void ResetHandOverSequence();

// "000003-App.ClientsList.xml"; `tag` ("sent") goes between number and
// type: "000004-sent-FDC.DiscoveryError.xml". Unknown type pairs give
// "Group.Class" as numbers.
ZYHOST_API std::string HandOverFileName(unsigned number, const std::string& tag,
                                        const CNMessageBase& message);

// Called with the path of each hand-over file once it is complete (the
// handler's dumps and the recording channel's sent messages), on the
// thread that wrote it, for a host that follows the replies as they come.
// An empty function removes the listener. The listener must not throw.
ZYHOST_API void SetHandOverListener(std::function<void(const std::string& path)> listener);
// Tells the listener, if any, that `path` is complete.
ZYHOST_API void NotifyHandOverWritten(const std::string& path);

// Writes `message` as XML to `path` through a temporary file and a rename;
// a failed write leaves no file and returns false. Text that is not valid
// UTF-8 has each invalid byte read as Latin-1. Control bytes that XML 1.0
// cannot carry (0x00-0x1F but tab, LF and CR) are written as the Unicode
// control pictures U+2400-U+241F, so the file stays well-formed and the
// byte can still be told from the text.
ZYHOST_API bool WriteMessageXml(const CNMessageBase& message, const std::string& path);
// Parses a file written by WriteMessageXml; null on any error.
ZYHOST_API std::unique_ptr<CNMessageBase> ReadMessageXml(const std::string& path);
// Sends libxml2's own messages on the calling thread (some, such as
// encoding errors, quote bytes of the file and ignore the parser's
// options) to the debug log at level 7 instead of standard error. Every
// reader here calls it before parsing.
ZYHOST_API void RouteXmlMessagesToLog();

}  // namespace zyhost

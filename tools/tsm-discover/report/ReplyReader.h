// Reads a reply folder written by `tsm-discover run` (the numbered XML
// files, messages sent to the host included) into a ReportModel.
//
// The files are read one at a time in their number order; each message is
// freed before the next file is read, so memory follows the model, not the
// folder. Job lists are streamed, never built as messages. A file that
// does not parse is counted in `unreadable` and adds nothing. Job times
// are bucketed by day in the process's time zone (TZ).
#pragma once

#include <string>
#include <vector>

#include "tools/tsm-discover/report/HandOverStream.h"
#include "tools/tsm-discover/report/ReportModel.h"

class CNMessageBase;

namespace tsmreport {

// False with one line in *error when `dir` cannot be listed or holds no
// reply file.
bool ReadReplies(const std::string& dir, ReportModel* model, std::string* error);

// The reply files of `dir` (NNNNNN-*.xml), in number order; false when the
// folder cannot be listed.
bool ReplyFileNames(const std::string& dir, std::vector<std::string>* names);

// Adds one reply message to the model (exposed for tests).
void AddReply(const CNMessageBase& message, bool sentToHost, ReportModel* model);

// The parts of AddReply, one per kind of reply.
void AddClients(const CNMessageBase& list, ReportModel* model);
void AddTask(const CNMessageBase& request, ReportModel* model);
void AddLibraries(const CNMessageBase& libraries, ReportModel* model);
void AddMedia(const CNMessageBase& medias, ReportModel* model);
void AddPolicies(const CNMessageBase& list, ReportModel* model);

// Adds the jobs of a job list file to the model when the whole file is
// read; kOtherMessage when it holds another message (nothing added).
StreamResult ReadJobFile(const std::string& path, ReportModel* model);

}  // namespace tsmreport

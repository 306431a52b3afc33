// What the takeover check needs of a reply folder, read faster than the
// report reads it: the names of the clients, the number of jobs per
// client, and the other replies (tasks, libraries, media, policies: small)
// read whole into the report's model. On a 10,000-node site the client
// list is 100 MB and the job lists 1 GB: the report's parser takes 12 s
// there, the check needs only whose each client entry and job is.
//
// The client and job lists are scanned as text, which relies on the hand-
// over writer's fixed layout (host/MessageXmlWriter.cpp, pinned by its
// layout test): per ClientInfo the clientName of its ClientEntity, per
// JobInfo its first clientName field. A file that does not look whole (its
// first and last lines), or whose items and names do not pair up, goes to
// the report's streaming reader instead, which applies every rule of the
// format; a file that breaks them counts as unreadable and adds nothing.
#pragma once

#include <map>
#include <string>

#include "tools/tsm-discover/report/HandOverStream.h"
#include "tools/tsm-discover/report/ReportModel.h"

namespace tsmverify {

// Fills clients (names only), tasks, libraries, media, policies,
// history[client].jobs, jobs, unreadable, folder and discoveredAt. False
// with one line in *error when `dir` holds no reply file.
bool ReadRepliesForCheck(const std::string& dir, tsmreport::ReportModel* model, std::string* error);

// Adds the jobs per client of the job list file `path` to
// model->history[client].jobs and model->jobs, scanned as above (the
// exact reader when the scan cannot pair them); kOtherMessage when the
// file holds another reply, kUnreadable (nothing added) when it breaks
// the format.
tsmreport::StreamResult CountJobFile(const std::string& path, tsmreport::ReportModel* model);

// The jobs per client of one job list file's bytes; false when the text
// is not a whole job list in the writer's layout (exposed for tests).
bool CountJobsByClient(const char* data, size_t size, std::map<std::string, long>* jobs);

}  // namespace tsmverify

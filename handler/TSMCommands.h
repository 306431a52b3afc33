// Every dsmadmc command text and output file name of the plug-in, in one
// place so they can be read against each other.
//
// Form A (query commands and the DB2 select):
//   "<binaryPath>dsmadmc" -id=<login> -password=<password> -outfile=<file><text>
// Form B (SQL selects):
//   dsmadmc -id=<login> -password=<password> -outfile=<file> -comma "<select>"
// The pieces follow each other without separators; blanks inside the texts
// are part of the command.
#pragma once

#include <string>

#include "handler/TSMAdminInfo.h"

namespace tsmcmd {

// Output files.
inline constexpr const char* kConfigFile = "ixr_tsmconfig.txt";
inline constexpr const char* kServerFile = "ixr_server.txt";
inline constexpr const char* kNodeFile = "ixr_node.txt";
inline constexpr const char* kScheduleFile = "ixr_sched.txt";
inline constexpr const char* kAssocFile = "ixr_assoc.txt";
inline constexpr const char* kDb2FilePrefix = "ixr_db2_";

// Form A texts (after the output file name).
inline constexpr const char* kNodeQueryPrefix = " -dataonly=yes -dateformat=1 -comma query node ";
inline constexpr const char* kNodeQuerySuffix = " format=detailed";
inline constexpr const char* kScheduleQuery = " -dateformat=1 -comma query schedule format=detailed";
inline constexpr const char* kClientScheduleNodes = " Nodes=";
inline constexpr const char* kAssocQueryPrefix = " -dateformat=1 -comma 'query association ";
// The select travels in double quotes, as one argument, so that dsmadmc
// receives its single quotes: split into words it would name the node as
// an unknown column.
inline constexpr const char* kDb2QueryPrefix =
    " -dateformat=1 -comma  \"select DISTINCT OWNER, bb.FILESPACE_NAME from backups bb, filespaces ff "
    "where bb.node_name = '";
inline constexpr const char* kDb2QuerySuffix =
    "'  and bb.FILESPACE_ID = ff.FILESPACE_ID AND ff.FILESPACE_TYPE LIKE 'API:DB2%' ";
// File space ids are numbered per node: without this the join also picks up
// another node's DB2 file space that shares an id with one of the node's own.
inline constexpr const char* kDb2QuerySameNode = "AND ff.NODE_NAME = bb.NODE_NAME ";
inline constexpr const char* kDb2QueryEnd = "\"";

// Form B selects (without the surrounding double quotes).
inline constexpr const char* kVersionSelect = "SELECT VERSION, RELEASE FROM STATUS";

// ---- Storage discovery (storage/) ------------------------------------------
// All form B, without -dataonly: every output starts with dsmadmc's four
// header lines. The volume joins keep their two blanks before WHERE.
inline constexpr const char* kStoragePolicyFile = "ixr_storagepolicy.txt";
inline constexpr const char* kLibrariesFile = "ixr_libraries.txt";
inline constexpr const char* kMediaFile = "ixr_media.txt";
inline constexpr const char* kStandAloneLibsFile = "ixr_standalonelibs.txt";
// One drive file per library: prefix, library name, suffix.
inline constexpr const char* kDrivesFilePrefix = "ixr_drives_";
inline constexpr const char* kDrivesFileSuffix = ".txt";

inline constexpr const char* kStoragePolicySelect =
    "SELECT DISTINCT LV.LIBRARY_NAME, VV.STGPOOL_NAME FROM VOLUMES VV, LIBVOLUMES LV  WHERE "
    "LV.VOLUME_NAME = VV.VOLUME_NAME";
inline constexpr const char* kLibrariesSelect = " SELECT * FROM LIBRARIES";
// The library name goes between prefix and suffix as it is; the drive
// fetcher refuses names that would need quoting.
inline constexpr const char* kDrivesSelectPrefix = "SELECT * FROM DRIVES WHERE LIBRARY_NAME = '";
inline constexpr const char* kDrivesSelectSuffix = "'";
inline constexpr const char* kMediaSelect =
    "SELECT VV.VOLUME_NAME, VV.DEVCLASS_NAME, VV.EST_CAPACITY_MB, LV.LIBRARY_NAME, VV.STGPOOL_NAME "
    "FROM VOLUMES VV, LIBVOLUMES LV  WHERE LV.VOLUME_NAME = VV.VOLUME_NAME";
inline constexpr const char* kStandAloneLibsSelect =
    "SELECT * FROM VOLUMES WHERE DEVCLASS_NAME IN ('FILE', 'DISK')";
// ---- end of storage discovery ----------------------------------------------

// ---- Job history ------------------------------------------------------
// The backup summary of one node, form B, into "ixr_jobs_<NODE>.txt".
inline constexpr const char* kJobsFilePrefix = "ixr_jobs_";
inline constexpr const char* kJobsSelectPrefix =
    "SELECT SCHEDULE_NAME, START_TIME, END_TIME, SUCCESSFUL, BYTES FROM SUMMARY SS WHERE "
    "SS.ACTIVITY = 'BACKUP' AND SS.ENTITY LIKE '";
inline constexpr const char* kJobsSelectSuffix = "' ORDER BY START_TIME";
// LIKE takes '_' and '%' as wildcards, so node LAB_01 would also match
// LABX01. A name holding one gets them escaped with this character and an
// ESCAPE clause; other names keep the plain text above.
inline constexpr char kJobsLikeEscape = '!';
inline constexpr const char* kJobsEscapedSuffix = "' ESCAPE '!' ORDER BY START_TIME";

// The job select for `nodeName` (already upper case), matching that node
// only; single quotes are doubled as QuoteSqlValue does. Inline: gather
// builds the same select without linking the plug-in's code.
inline std::string JobsSelect(const std::string& nodeName) {
  const bool wildcards = nodeName.find_first_of("_%") != std::string::npos;
  std::string select = kJobsSelectPrefix;
  for (char c : nodeName) {
    if (c == '\'') select += c;
    if (wildcards && (c == '_' || c == '%' || c == kJobsLikeEscape)) select += kJobsLikeEscape;
    select += c;
  }
  return select + (wildcards ? kJobsEscapedSuffix : kJobsSelectSuffix);
}
// ---- End of job history ------------------------------------------------

// Form A: quoted program path, credentials, output file, then `text`.
std::string FormA(const std::string& binaryPath, const TSMAdminInfo& admin, const std::string& outputFile,
                  const std::string& text);
// Form B: bare program name, credentials, output file, " -comma " and the
// select in double quotes. `dataOnly` writes " -dataonly=yes -outfile="
// (the version probe).
std::string FormB(const TSMAdminInfo& admin, const std::string& outputFile, const std::string& select,
                  bool dataOnly = false);

// A value for a select between single quotes: each ' doubled, so a name
// can never end the quoted string early.
std::string QuoteSqlValue(const std::string& value);

// True when `name` may become part of an output file name in the working
// directory: not empty, no "/", not "." or "..", no NUL.
bool IsSafeFileNamePart(const std::string& name);

// True when `name` can stand as one word of a form A command line, which
// is split at blanks and quotes: no blank, quote or control character.
bool IsCommandWord(const std::string& name);

// True when a per-item name (node, library) can go into its command and
// its output file name unchanged: a safe file name part and a command
// word. Real TSM names never fail this; a name that does is refused
// rather than allowed to reshape the command.
bool IsSafeItemName(const std::string& name);

// Upper case (ASCII), as TSM names are compared.
std::string ToUpper(const std::string& text);

}  // namespace tsmcmd

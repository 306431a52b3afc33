// Column lists of the site tables, in the order the server prints them.
// The detailed node listing prints NODES as is (name, platform, OS level
// and client version at 0 to 3, compression at 12, keep mount point at 28,
// TCP name at 32); LIBRARIES carries the serial at 17, DRIVES at 13.
#pragma once

#include <string>
#include <vector>

namespace dsmsim {

inline const std::vector<std::string>& NodeColumns() {
  static const std::vector<std::string> kColumns = {"NODE_NAME",
                                                    "PLATFORM_NAME",
                                                    "CLIENT_OS_LEVEL",
                                                    "CLIENT_VERSION",
                                                    "DOMAIN_NAME",
                                                    "LASTACC_TIME",
                                                    "DAYS_SINCE_ACCESS",
                                                    "PWSET_TIME",
                                                    "DAYS_SINCE_PWSET",
                                                    "INVALID_PW_COUNT",
                                                    "LOCKED",
                                                    "CONTACT",
                                                    "COMPRESSION",
                                                    "ARCHDELETE",
                                                    "BACKDELETE",
                                                    "REG_TIME",
                                                    "REG_ADMIN",
                                                    "LASTSESS_COMMMETH",
                                                    "LASTSESS_RECVD",
                                                    "LASTSESS_SENT",
                                                    "LASTSESS_DURATION",
                                                    "LASTSESS_IDLEWAIT",
                                                    "LASTSESS_COMMWAIT",
                                                    "LASTSESS_MEDIAWAIT",
                                                    "OPTION_SET",
                                                    "URL",
                                                    "NODETYPE",
                                                    "PASSEXP",
                                                    "KEEP_MP",
                                                    "MAX_MP_ALLOWED",
                                                    "AUTO_FS_RENAME",
                                                    "VALIDATEPROTOCOL",
                                                    "TCP_NAME",
                                                    "TCP_ADDRESS",
                                                    "GUID",
                                                    "TXNGROUPMAX",
                                                    "DATAWRITEPATH",
                                                    "DATAREADPATH",
                                                    "SESSION_INITIATION",
                                                    "HLADDRESS",
                                                    "LLADDRESS",
                                                    "COLLOCGROUP_NAME",
                                                    "PROXY_TARGET",
                                                    "PROXY_AGENT",
                                                    "NODEGROUPS",
                                                    "EMAIL_ADDRESS"};
  return kColumns;
}

inline const std::vector<std::string>& ScheduleColumns() {
  static const std::vector<std::string> kColumns = {
      "DOMAIN_NAME", "SCHEDULE_NAME", "DESCRIPTION", "ACTION",    "SUBACTION", "OPTIONS",
      "OBJECTS",     "PRIORITY",      "STARTDATE",   "STARTTIME", "DURATION",  "DURUNITS",
      "SCHED_STYLE", "PERIOD",        "PERUNITS",    "DAYOFWEEK", "MONTH",     "DAYOFMONTH",
      "WEEKOFMONTH", "EXPIRATION",    "MAXRUNTIME",  "CHG_ADMIN", "CHG_TIME",  "PROFILE"};
  return kColumns;
}

inline const std::vector<std::string>& AssociationColumns() {
  static const std::vector<std::string> kColumns = {"DOMAIN_NAME", "SCHEDULE_NAME", "NODE_NAME", "CHG_TIME",
                                                    "CHG_ADMIN"};
  return kColumns;
}

inline const std::vector<std::string>& LibraryColumns() {
  static const std::vector<std::string> kColumns = {
      "LIBRARY_NAME", "LIBRARY_TYPE",    "EXTERNALMANAGER", "SHARED",
      "LANFREE",      "OBSERVE_RESERVE", "RSM_MEDIA_TYPE",  "PRIMARY_LIB_MANAGER",
      "WWN",          "AUTOLABEL",       "RELABELSCRATCH",  "RESETDRIVES",
      "ACSID",        "ACSACCESSID",     "ACSLOCKDRIVE",    "LAST_UPDATE_BY",
      "LAST_UPDATE",  "LIBRARY_SERIAL",  "ZOSMEDIA"};
  return kColumns;
}

inline const std::vector<std::string>& DriveColumns() {
  static const std::vector<std::string> kColumns = {
      "LIBRARY_NAME",   "DRIVE_NAME",  "DEVICE_TYPE",  "ONLINE",       "READ_FORMATS",
      "WRITE_FORMATS",  "ELEMENT",     "ACS_DRIVE_ID", "DRIVE_STATE",  "ALLOCATED_TO",
      "LAST_UPDATE_BY", "LAST_UPDATE", "CLEAN_FREQ",   "DRIVE_SERIAL", "VOLUME_NAME"};
  return kColumns;
}

inline const std::vector<std::string>& VolumeColumns() {
  static const std::vector<std::string> kColumns = {
      "VOLUME_NAME",    "STGPOOL_NAME", "DEVCLASS_NAME", "EST_CAPACITY_MB", "SCALEDCAP_APPLIED",
      "PCT_UTILIZED",   "STATUS",       "ACCESS",        "PCT_RECLAIM",     "SCRATCH",
      "ERROR_STATE",    "NUM_SIDES",    "TIMES_MOUNTED", "WRITE_PASS",      "LAST_WRITE_DATE",
      "LAST_READ_DATE", "PENDING_DATE", "WRITE_ERRORS",  "READ_ERRORS",     "LOCATION",
      "MVSLF_CAPABLE",  "CHG_TIME",     "CHG_ADMIN",     "BEGIN_RCLM_DATE", "END_RCLM_DATE"};
  return kColumns;
}

inline const std::vector<std::string>& LibVolumeColumns() {
  static const std::vector<std::string> kColumns = {"LIBRARY_NAME",   "VOLUME_NAME", "STATUS",
                                                    "OWNER",          "LAST_USE",    "HOME_ELEMENT",
                                                    "CLEANINGS_LEFT", "DEVTYPE",     "MEDIATYPE"};
  return kColumns;
}

inline const std::vector<std::string>& BackupColumns() {
  static const std::vector<std::string> kColumns = {
      "NODE_NAME", "FILESPACE_NAME", "FILESPACE_ID", "STATE",           "TYPE",  "HL_NAME",
      "LL_NAME",   "OBJECT_ID",      "BACKUP_DATE",  "DEACTIVATE_DATE", "OWNER", "CLASS_NAME"};
  return kColumns;
}

inline const std::vector<std::string>& FilespaceColumns() {
  static const std::vector<std::string> kColumns = {"NODE_NAME",      "FILESPACE_NAME", "FILESPACE_ID",
                                                    "FILESPACE_TYPE", "CAPACITY",       "PCT_UTIL",
                                                    "BACKUP_START",   "BACKUP_END"};
  return kColumns;
}

inline const std::vector<std::string>& SummaryColumns() {
  static const std::vector<std::string> kColumns = {
      "START_TIME",   "END_TIME",      "ACTIVITY",  "NUMBER",          "ENTITY",      "COMMMETH",
      "ADDRESS",      "SCHEDULE_NAME", "EXAMINED",  "AFFECTED",        "FAILED",      "BYTES",
      "IDLE",         "MEDIAW",        "PROCESSES", "SUCCESSFUL",      "VOLUME_NAME", "DRIVE_NAME",
      "LIBRARY_NAME", "LAST_USE",      "COMM_WAIT", "NUM_OFFSITE_VOLS"};
  return kColumns;
}

inline const std::vector<std::string>& StatusColumns() {
  static const std::vector<std::string> kColumns = {"SERVER_NAME", "VERSION",  "RELEASE",    "LEVEL",
                                                    "SUBLEVEL",    "PLATFORM", "SERVER_HLA", "SERVER_LLA"};
  return kColumns;
}

}  // namespace dsmsim

// The manifest of a replay set: "replay.manifest" in the set's folder,
// written by gather, checked by run --replay. Text, one item a line:
//
//   tsm-discover replay set
//   status complete                      (or: incomplete)
//   server VEGA
//   client-level Version 8.1.12 (simulated)
//   gathered 2026-12-07T02:31:00Z
//   file ixr_assoc.txt 1843 <sha256 of the file, hex>
//   missing ixr_jobs_WEB01.txt           (an incomplete set only)
//
// Files are listed in name order, so two gathers of one site differ only
// in the "gathered" line.
#pragma once

#include <string>
#include <vector>

namespace tsmdiscover {

constexpr const char kManifestName[] = "replay.manifest";

struct ManifestInfo {
  bool complete = false;
  std::string server;       // the first line of the server file
  std::string clientLevel;  // from the banner of a file with header lines
  std::string gatheredAt;   // UTC, ISO 8601
  std::vector<std::string> missing;
};

// Writes the manifest of the ixr_* files in `dir` (server and client
// level are read from them). False with one line in *error.
bool WriteManifest(const std::string& dir, ManifestInfo info, std::string* error);

struct ReplaySetCheck {
  bool hasManifest = false;
  // What makes the set unusable as it stands, one item each: "ixr_x.txt
  // missing", "ixr_y.txt differs from the manifest", "missing ixr_z.txt
  // (gather failed)"; empty for a complete set that matches.
  std::vector<std::string> problems;
};

// Reads `dir`'s manifest and compares every file it lists (size, then
// checksum). A set without a manifest gives hasManifest false.
ReplaySetCheck CheckReplaySet(const std::string& dir);

// Lowercase hex SHA-256 of a file; empty when it cannot be read.
std::string FileSha256(const std::string& path);

}  // namespace tsmdiscover

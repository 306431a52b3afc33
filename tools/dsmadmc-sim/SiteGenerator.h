// generate-site: a synthetic site for benchmarks, the same for the same
// arguments on every machine (own random generator, no library
// distributions).
//   generate-site [--nodes N] [--schedules S] [--libraries L] [--volumes V]
//                 [--pools P] [--disk-percent D] [--jobs-per-node J]
//                 [--seed K] DIR
// D percent of the volumes (default 10) are FILE or DISK volumes outside
// any library, in the first half of the P pools (default 4).
// The administrator is ADMIN with password ADMIN.
#pragma once

#include <string>
#include <vector>

namespace dsmsim {

// Exit status 0 when the site was written, 2 for bad arguments, 1 when a
// file could not be written.
int RunGenerateSite(const std::vector<std::string>& args);

}  // namespace dsmsim

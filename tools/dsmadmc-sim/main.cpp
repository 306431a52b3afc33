// dsmadmc: a stand-in for the administrative command-line client that
// answers from a simulated server (a site directory of CSV tables).
//   dsmadmc -id=ADMIN -password=PW [-outfile=F] [-dataonly=yes] [-comma]
//           [-dateformat=N] COMMAND...
//   dsmadmc generate-site --nodes N ... DIR
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/common/ProgramDirectory.h"
#include "tools/dsmadmc-sim/AdminCommands.h"
#include "tools/dsmadmc-sim/ClientLevel.h"
#include "tools/dsmadmc-sim/ClientOptions.h"
#include "tools/dsmadmc-sim/Faults.h"
#include "tools/dsmadmc-sim/Output.h"
#include "tools/dsmadmc-sim/Site.h"
#include "tools/dsmadmc-sim/SiteGenerator.h"

namespace dsmsim {

const char kUsage[] =
    "usage: dsmadmc -id=ADMIN -password=PW [-outfile=F] [-dataonly=yes] [-comma] [-dateformat=N] COMMAND...\n"
    "       dsmadmc generate-site [--nodes N] ... DIR   (generate-site --help tells more)\n"
    "Answers administrative commands from a simulated server: the CSV tables of the site in\n"
    "$DSMADMC_SIM_SITE, else in the folder named by dsmadmc-sim.site next to the program,\n"
    "else in site/ next to it. DSMADMC_SIM_CLIENT_LEVEL (short, 5, 7, 8.1, newest) picks the\n"
    "client whose banner and closing lines it writes.\n";

namespace {

// The server's clock: the site's SERVER_DATETIME setting when it has one
// (so a gathered set is the same on every run), else the local time.
std::string ServerDateTime(Site& site) {
  std::string fixed = site.Setting("SERVER_DATETIME", "");
  if (!fixed.empty()) return fixed;
  std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "";
  if (::localtime_r(&now, &local) != nullptr) std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

ServerIdentity Identity(Site& site) {
  ServerIdentity id{"SERVER1", "8", "1", "0.0", "Linux/x86_64", ServerDateTime(site)};
  const Table* status = site.Find("STATUS");
  if (status != nullptr && !status->rows.empty()) {
    const Row& row = status->rows.front();
    id.name = status->Cell(row, "SERVER_NAME");
    id.version = status->Cell(row, "VERSION");
    id.release = status->Cell(row, "RELEASE");
    id.level = status->Cell(row, "LEVEL") + "." + status->Cell(row, "SUBLEVEL");
    if (!status->Cell(row, "PLATFORM").empty()) id.platform = status->Cell(row, "PLATFORM");
  }
  return id;
}

// Writes the output where -outfile says (replacing the file) or to
// standard output; client messages also go to standard output.
bool Deliver(const ClientOptions& options, const std::string& text, const std::vector<std::string>& messages,
             bool noFile) {
  if (options.outfile.empty()) {
    std::cout << text;
    return static_cast<bool>(std::cout.flush());
  }
  for (const std::string& message : messages) std::cout << message << '\n';
  if (noFile) return true;
  std::ofstream out(options.outfile, std::ios::binary | std::ios::trunc);
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

// The client level of DSMADMC_SIM_CLIENT_LEVEL; false (with a line on
// standard error) for a name that is no level.
bool ClientLevelFromEnvironment(ClientLevel* level) {
  const char* name = std::getenv("DSMADMC_SIM_CLIENT_LEVEL");
  *level = kDefaultClientLevel;
  if (name == nullptr || *name == '\0' || ParseClientLevel(name, level)) return true;
  std::cerr << "dsmadmc simulator: DSMADMC_SIM_CLIENT_LEVEL=" << name
            << " is none of short, 5, 7, 8.1, newest\n";
  return false;
}

int RunClient(const std::vector<std::string>& args) {
  LogRun(MaskedArguments(args));
  ClientLevel level = kDefaultClientLevel;
  if (!ClientLevelFromEnvironment(&level)) return kStatusUnknownCommand;
  ClientOptions options;
  std::string error;
  if (!ParseClientOptions(args, &options, &error)) {
    std::cout << error << '\n';
    return kStatusUnknownCommand;
  }
  Site site(LocateSite(toolcommon::ProgramDirectory()));
  if (site.Find("STATUS") == nullptr) {
    std::cout << "ANS1017E Session rejected: TCP/IP connection failure (no site at " << site.dir() << ")\n";
    return 1;
  }
  if (!options.hasPassword || !site.CheckLogin(options.id, options.password)) {
    std::cout << "ANS1051I Invalid user id or password\n";
    return kStatusBadLogin;
  }
  Faults faults = FaultsFromEnvironment(options.command);
  if (faults.signal > 0) {
    ::signal(faults.signal, SIG_DFL);
    ::raise(faults.signal);
  }
  ResultSet result;
  CommandContext context;
  context.dateFormat = options.dateFormat;
  CommandOutcome outcome = RunCommand(site, options.command, context, &result);
  if (faults.badUtf8) {
    for (Row& row : result.rows) {
      if (!row.empty()) row[0] += "\xE9\xFF\xFE";
    }
  }
  if (site.Setting("DECIMAL_COMMA", "0") == "1") UseDecimalComma(&result);
  std::string text = FormatOutput(options, Identity(site), result, outcome, level);
  if (faults.truncateBytes >= 0 && static_cast<size_t>(faults.truncateBytes) < text.size()) {
    text.resize(static_cast<size_t>(faults.truncateBytes));
  }
  if (faults.hangSeconds > 0) ::sleep(static_cast<unsigned>(faults.hangSeconds));
  if (!Deliver(options, text, ClientMessages(outcome, level), faults.noFile)) {
    std::cout << "ANS1029E Communication with the output file failed.\n";
    return 1;
  }
  return faults.exitStatus >= 0 ? faults.exitStatus : outcome.status;
}

}  // namespace
}  // namespace dsmsim

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // Only "--help" alone: the client refuses any other unknown option.
  if (args.size() == 1 && args[0] == "--help") {
    std::cout << dsmsim::kUsage;
    return 0;
  }
  if (!args.empty() && args[0] == "generate-site") {
    return dsmsim::RunGenerateSite(std::vector<std::string>(args.begin() + 1, args.end()));
  }
  return dsmsim::RunClient(args);
}

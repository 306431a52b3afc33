// Which administrative client the simulator imitates (8.1 unless told
// otherwise): its banner and the closing lines it writes. Chosen per run
// by DSMADMC_SIM_CLIENT_LEVEL (the client is the caller's program, not
// part of the server's site):
//   short   the four invented header lines this simulator wrote at first,
//           kept for the tests of the header rule defined for the parsers
//   5       IBM Tivoli Storage Manager 5.4 client
//   7       IBM Tivoli Storage Manager 6.x/7.x client (7.1.8)
//   8.1     IBM Spectrum Protect 8.1 client (8.1.8)
//   newest  IBM Storage Protect 8.1 client (8.1.21)
// The texts and their sources are in docs/notes.md ("Real dsmadmc output").
#pragma once

#include <string>

namespace dsmsim {

enum class ClientLevel { kShort, kV5, kV7, kV81, kNewest };

// The level a run uses when DSMADMC_SIM_CLIENT_LEVEL is unset or empty.
constexpr ClientLevel kDefaultClientLevel = ClientLevel::kV81;

// False when `name` names no level.
bool ParseClientLevel(const std::string& name, ClientLevel* level);

// The lines a client of `level` prints before the session line: product,
// version, copyright and an empty line, each ending in a line feed; empty
// for the short layout.
std::string ClientBannerLines(ClientLevel level);

// True when the client ends the echo of the command with a full stop after
// the closing quote (8.1 and newer).
bool EchoEndsWithFullStop(ClientLevel level);

}  // namespace dsmsim

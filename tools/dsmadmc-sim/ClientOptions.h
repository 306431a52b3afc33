// The command line of the administrative client: options first (names
// case-insensitive, abbreviations down to the shortest the client allows,
// values after "="), then the words of one server command. The words are
// joined with blanks into the command text, as the client does.
#pragma once

#include <string>
#include <vector>

namespace dsmsim {

struct ClientOptions {
  std::string id;
  std::string password;
  bool hasPassword = false;
  std::string outfile;  // empty: standard output
  bool dataOnly = false;
  bool comma = false;
  bool tab = false;
  int dateFormat = 1;  // 1 MM/DD/YYYY, 2 DD-MM-YYYY, 3 YYYY-MM-DD, 4 DD.MM.YYYY, 5 YYYY.MM.DD
  std::string command;
};

// Parses argv[1..]; false with a client message in *error when an option
// is unknown or has a bad value.
bool ParseClientOptions(const std::vector<std::string>& args, ClientOptions* options, std::string* error);

// The arguments as they may be written to a log: the password value as ****.
std::string MaskedArguments(const std::vector<std::string>& args);

}  // namespace dsmsim

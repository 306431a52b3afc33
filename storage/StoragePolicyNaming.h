// Names of the default storage policy and the default library. Free
// functions: the job builder names each job's storage policy with the same
// text the storage discovery hands over, so both read it from here.
#pragma once

#include <string>

// The Zyphor name followed by "_Default_SP".
std::string GenerateStoragePolicyNameStr();
// The same text as GenerateStoragePolicyNameStr(); the job records use it.
std::string GenerateStoragePolicyName();
// The Zyphor name followed by "_DEFAULT_LIBRARY".
std::string GenerateLibraryName();

// Figures of the storage selects as the host is given them. A server in a
// locale with a decimal comma prints "2500000,0" (quoted in comma output)
// where others print "2500000.0"; the host's capacity fields take the
// decimal point, as every other figure is written.
#pragma once

#include <string>

// `figure` with its decimal comma made a point when it is digits, one
// comma and digits (an optional leading minus): "2500000,0" gives
// "2500000.0". Anything else is returned unchanged ("2500000.0", "",
// "1,234,567", "n/a").
std::string WithDecimalPoint(const std::string& figure);

// Library content that no TSM query gives: the default magnetic library
// every media discovery lists first (named GenerateLibraryName(), the
// library of the default storage policy's data path), and drive items
// made from device descriptions.
#pragma once

#include <vector>

#include "host/Messages.h"
#include "storage/CTSMDeviceInfo.h"

// Appends the default library, with its one drive, to the library list
// of `libraries` (created when absent). Returns 1.
int BuildDefaultLib(FDC::ForeignLibraries& libraries);

// Appends to `library` one drive item per device whose port is `port` and
// whose deviceType is not 1, numbered from 1 in vector order. The drive
// list is created even when nothing matches; a null vector adds nothing.
// Returns 1.
int BuildTapeLibrary(FDC::ForeignLibraryItem& library, std::vector<CTSMDeviceInfo>* devices, int port);

// A process-wide request to stop, made by SIGINT, SIGTERM or SIGHUP once
// InstallStopSignals() ran. The handler only stores the signal number and
// writes one byte to a pipe, both async-signal-safe; the pipe is never
// read, so its read end stays readable from the request on. The process
// launcher polls it beside the child and stops a running program at once;
// the command execution base starts none after it.
#pragma once

#include "host/ZyHostApi.h"

namespace zyhost {

// Installs the handlers (idempotent). False when the pipe or a handler
// could not be set up; stops then come as the default actions.
ZYHOST_API bool InstallStopSignals();
// The signal that requested the stop; 0 while none did.
ZYHOST_API int StopSignal();
// Readable once a stop was requested; -1 before InstallStopSignals().
ZYHOST_API int StopSignalFd();
// Makes the request as the handler would (tests, and callers that stop
// for reasons of their own). Async-signal-safe.
ZYHOST_API void RequestStop(int signal);
// Forgets a request (tests only: a real run ends after one).
ZYHOST_API void ClearStopRequest();

}  // namespace zyhost

// Construction and destruction of the handler. They live here, above the
// subsystems, because the handler's members hold node records (clients/)
// and job records (jobs/), and only code that sees both may make or
// destroy those vectors; the core header merely names the two types.
#include "clients/TSMClientInfo.h"
#include "handler/CForeignHandlerTSM.h"
#include "jobs/CTSMJobInfo.h"

namespace {
constexpr unsigned int kJobsPerReply = 1000;
}  // namespace

CForeignHandlerTSM::CForeignHandlerTSM() : CForeignHandlerBase(), jobsPerReply(kJobsPerReply) {}

// The host value only travels to the base; the job batch size is the same
// as with the default constructor, so job discovery never works with an
// unset value.
CForeignHandlerTSM::CForeignHandlerTSM(long long value)
    : CForeignHandlerBase(value), jobsPerReply(kJobsPerReply) {}

// Members are destroyed in reverse order of declaration: m_jobs, then
// m_clients, then the base.
CForeignHandlerTSM::~CForeignHandlerTSM() = default;

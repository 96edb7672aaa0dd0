// Runs one fault sweep of the writer and prints its counts and every
// violation; exits 0 when there is none. The tests start it as an
// unprivileged user, for whom a read-only folder really refuses new files.
//
//   fault_sweep PATH NEW-CONTENT-FILE [MAX-RUNS]
//
// With MAX-RUNS, three calls fail in each run, in at most that many runs.
#include <cstdio>
#include <cstdlib>

#include "FaultInjection.h"
#include "TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fault_sweep PATH NEW-CONTENT-FILE [MAX-RUNS]\n");
        return 2;
    }
    FaultSweep sweep;
    sweep.path = argv[1];
    sweep.exists = fileExists(sweep.path);
    sweep.newBytes = readBytes(argv[2]);
    if (argc == 4) {
        sweep.faultsPerRun = 3;
        sweep.maxRuns = std::atoi(argv[3]);
    }
    const FaultSweepResult result = runFaultSweep(sweep);
    std::printf("calls %d combinations %ld faults %d successes %d failures %d violations %zu\n", result.calls,
                result.combinations, result.faults, result.successes, result.failures, result.violations.size());
    for (const std::string& violation : result.violations)
        std::printf("%s\n", violation.c_str());
    return result.violations.empty() ? 0 : 1;
}

// Runs one fault sweep of the writer and prints its counts and every
// violation; exits 0 when there is none. The tests start it as an
// unprivileged user, for whom a read-only folder really refuses new files.
//
//   fault_sweep PATH NEW-CONTENT-FILE
#include <cstdio>

#include "FaultInjection.h"
#include "TestSupport.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: fault_sweep PATH NEW-CONTENT-FILE\n");
        return 2;
    }
    FaultSweep sweep;
    sweep.path = argv[1];
    sweep.exists = fileExists(sweep.path);
    sweep.newBytes = readBytes(argv[2]);
    const FaultSweepResult result = runFaultSweep(sweep);
    std::printf("calls %d faults %d successes %d failures %d violations %zu\n", result.calls, result.faults,
                result.successes, result.failures, result.violations.size());
    for (const std::string& violation : result.violations)
        std::printf("%s\n", violation.c_str());
    return result.violations.empty() ? 0 : 1;
}

// Feeds arbitrary bytes to the reader, writes the record, reads that file
// into a fresh record and writes again: the two files must be identical.
// Reading while noting findings must read the same record, and the writer's
// own file must give no findings.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CConfiguration first, noted;
    ConfigReader(first).ReadText(input);
    ReaderFindings inputFindings;
    ConfigReader(noted, &inputFindings).ReadText(input);
    const std::string written = FormatConfiguration(first);
    if (FormatConfiguration(noted) != written) {
        std::fprintf(stderr, "noting findings changed what was read\n");
        std::abort();
    }

    CConfiguration second;
    ReaderFindings findings;
    ConfigReader(second, &findings).ReadText(written);
    const std::string rewritten = FormatConfiguration(second);
    if (!findings.items.empty()) {
        std::fprintf(stderr, "the writer's own file has findings: %s\n", DescribeFinding(findings.items[0]).c_str());
        std::abort();
    }
    if (written != rewritten) {
        std::fprintf(stderr, "round trip changed the file\n--- first\n%s\n--- second\n%s\n", written.c_str(),
                     rewritten.c_str());
        std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the reader, writes the record, reads that file
// into a fresh record and writes again: the two files must be identical.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CConfiguration first;
    ConfigReader(first).ReadText(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string written = FormatConfiguration(first);

    CConfiguration second;
    ConfigReader(second).ReadText(written);
    const std::string rewritten = FormatConfiguration(second);
    if (written != rewritten) {
        std::fprintf(stderr, "round trip changed the file\n--- first\n%s\n--- second\n%s\n", written.c_str(),
                     rewritten.c_str());
        std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to ConfigReader and to the line-at-a-time reader it
// replaced, through the file-reading path in chunks whose size the first
// byte picks, and from the text in one piece: records, findings and saved
// bytes must agree (see ReaderComparison.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FileInput.h"
#include "config/ConfigReader.h"
#include "config/ReaderComparison.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FileInput input;
    if (!takeFileInput(data, size, input))
        return 0;
    if (const std::string difference = compareReaders(*input.path, input.text, input.chunk); !difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the reader through the file-reading path, in
// chunks whose size the first byte picks so that line ends fall on every
// kind of chunk boundary. The record must equal the one read from the same
// text in one piece, and the one read while noting findings; writing it,
// reading that back into a fresh record and writing again must give
// identical bytes, and the writer's own file must give no findings.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "FileInput.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& a, const std::string& b)
{
    std::fprintf(stderr, "%s\n--- first\n%s\n--- second\n%s\n", what, a.c_str(), b.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FileInput input;
    if (!takeFileInput(data, size, input))
        return 0;
    const std::string_view text = input.text;

    Configuration fromFile;
    std::string message;
    if (!ConfigReader(fromFile).readFile(*input.path, message, input.chunk))
        fail("reading the file failed", message, std::string());
    const std::string written = formatConfiguration(fromFile);

    Configuration fromText;
    ConfigReader(fromText).readText(text);
    if (formatConfiguration(fromText) != written)
        fail("reading in chunks changed the record", written, formatConfiguration(fromText));

    Configuration noted;
    ReaderFindings inputFindings;
    ConfigReader(noted, &inputFindings).readText(text);
    if (formatConfiguration(noted) != written)
        fail("noting findings changed what was read", written, formatConfiguration(noted));

    Configuration second;
    ReaderFindings findings;
    ConfigReader(second, &findings).readText(written);
    const std::string rewritten = formatConfiguration(second);
    if (!findings.empty())
        fail("the writer's own file has findings", describeFinding(findings.all()[0]), std::string());
    if (written != rewritten)
        fail("round trip changed the file", written, rewritten);
    return 0;
}

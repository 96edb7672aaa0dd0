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
#include <sys/mman.h>
#include <unistd.h>

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

// One file in memory for all runs: real open, fstat and read calls without
// a disk.
const std::string& inputPath(int& fd)
{
    static const int file = ::memfd_create("quarvel-reader-fuzz", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    fd = file;
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t chunk = data[0] >= 240 ? ConfigReader::kChunkSize : 1 + data[0] % 48;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    int fd = -1;
    const std::string& path = inputPath(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) {
        std::perror("memfd");
        std::abort();
    }

    Configuration fromFile;
    std::string message;
    if (!ConfigReader(fromFile).readFile(path, message, chunk))
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

// Feeds arbitrary bytes to ConfigReader and to the line-at-a-time reader it
// replaced, through the file-reading path in chunks whose size the first
// byte picks, and from the text in one piece: records, findings and saved
// bytes must agree (see ReaderComparison.h).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "config/ConfigReader.h"
#include "config/ReaderComparison.h"

namespace {

// One file in memory for all runs: real open, fstat and read calls without
// a disk.
const std::string& inputPath(int& fd)
{
    static const int file = ::memfd_create("quarvel-reader-diff-fuzz", MFD_CLOEXEC);
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
    if (const std::string difference = compareReaders(path, text, chunk); !difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        std::abort();
    }
    return 0;
}

#pragma once

// The input of the reader's fuzz targets: the first byte picks the size of
// the chunks the file is read in, so that line ends fall on every kind of
// chunk boundary, and the rest is the file, written to one file in memory
// for all runs (real open, fstat and read calls without a disk). A quarter
// of the first bytes pick chunks of 1 to 48 bytes, the rest the reader's
// own size: a read per byte of a 4 KB input is slow, and the small sizes
// cover the boundaries as well at a quarter of the runs.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "config/ConfigReader.h"

struct FileInput {
    std::string_view text;
    std::size_t chunk = 0;
    const std::string* path = nullptr;
};

// False for an empty input, which holds no chunk size.
inline bool takeFileInput(const std::uint8_t* data, std::size_t size, FileInput& input)
{
    static const int file = ::memfd_create("quarvel-reader-fuzz", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    if (size == 0)
        return false;
    input.chunk = data[0] < 64 ? 1 + data[0] % 48 : ConfigReader::kChunkSize;
    input.text = std::string_view(reinterpret_cast<const char*>(data + 1), size - 1);
    input.path = &path;
    if (file < 0 || ::ftruncate(file, 0) != 0 ||
        ::pwrite(file, input.text.data(), input.text.size(), 0) != static_cast<ssize_t>(input.text.size())) {
        std::perror("memfd");
        std::abort();
    }
    return true;
}

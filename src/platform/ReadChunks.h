#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

// Reads chunkSize bytes at a time through read (the count read, 0 at the
// end, negative on failure) and hands each chunk on. False when a read
// fails, with the system's error left by read.
template <typename ReadChunk>
bool readChunks(ReadChunk read, std::size_t chunkSize, const std::function<void(std::string_view)>& consume)
{
    const std::unique_ptr<char[]> buffer(new char[chunkSize]);
    for (;;) {
        const long long got = read(buffer.get(), chunkSize);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        consume(std::string_view(buffer.get(), static_cast<std::size_t>(got)));
    }
}

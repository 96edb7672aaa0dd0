#pragma once

// Reading a stream that has no size of its own (standard input, the Ansible
// module's arguments file) up to a bound, so that an endless one
// (</dev/zero) is refused instead of filling the memory.
#include <cstddef>
#include <istream>
#include <memory>
#include <string>

// The most quarvel-cfg takes from standard input and the Ansible module from
// its arguments file: far beyond any configuration (the benchmarks' largest
// is a few MiB), far below what the machine holds.
constexpr std::size_t kInputLimit = std::size_t{256} << 20;

// The bound as messages name it: "256 MiB", or bytes when it is no whole MiB.
inline std::string inputLimitText(std::size_t limit = kInputLimit)
{
    return limit % (std::size_t{1} << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                               : std::to_string(limit) + " bytes";
}

enum class BoundedRead { Read, Failed, TooLong };

// All of in into bytes, when it holds no more than limit bytes; TooLong as
// soon as it holds more (having taken no more than limit and one chunk),
// Failed when a read fails or in could not be opened.
inline BoundedRead readBounded(std::istream& in, std::string& bytes, std::size_t limit = kInputLimit)
{
    constexpr std::size_t kChunk = 64 * 1024;
    const std::unique_ptr<char[]> chunk(new char[kChunk]);
    bytes.clear();
    while (in) {
        in.read(chunk.get(), static_cast<std::streamsize>(kChunk));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > limit - bytes.size())
            return BoundedRead::TooLong;
        bytes.append(chunk.get(), got);
    }
    return in.eof() && !in.bad() ? BoundedRead::Read : BoundedRead::Failed;
}

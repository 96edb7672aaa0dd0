// Parses a file with libinih and does nothing with its lines but count them:
// the yardstick that quarvel-cfg's load and save are measured against.
#include <cstdio>
#include <ini.h>

namespace {

struct Counts {
    unsigned long keys = 0;
    unsigned long valueBytes = 0;
};

int countLine(void* user, const char*, const char*, const char* value)
{
    auto* counts = static_cast<Counts*>(user);
    ++counts->keys;
    for (const char* c = value; *c; ++c)
        ++counts->valueBytes;
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: inih_parse FILE\n");
        return 2;
    }
    Counts counts;
    const int result = ini_parse(argv[1], countLine, &counts);
    if (result < 0) {
        std::fprintf(stderr, "inih_parse: cannot read %s\n", argv[1]);
        return 2;
    }
    std::printf("%lu keys, %lu value bytes\n", counts.keys, counts.valueBytes);
    return 0;
}

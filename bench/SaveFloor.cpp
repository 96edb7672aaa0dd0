// The least a safe save of a file can cost: read it and write the same bytes
// to a temporary file beside the target, fsync it, rename it onto the target
// and fsync the folder. quarvel-cfg normalize does all of this and also
// parses and formats; bench/compare-processes.sh measures it against this.
//
//   save_floor IN OUT
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr std::size_t kChunk = 1024 * 1024;

int failed(const char* what, const std::string& path)
{
    std::fprintf(stderr, "save_floor: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
    return 2;
}

bool writeAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: save_floor IN OUT\n");
        return 2;
    }
    const std::string in = argv[1], out = argv[2];
    const std::size_t slash = out.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : out.substr(0, slash + 1);
    const std::string temp = folder + "/.save-floor." + std::to_string(::getpid());

    const int source = ::open(in.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return failed("cannot open", in);
    const int target = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (target < 0)
        return failed("cannot create", temp);
    const std::unique_ptr<char[]> buffer(new char[kChunk]);
    for (;;) {
        const ssize_t got = ::read(source, buffer.get(), kChunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed("cannot read", in);
        if (got == 0)
            break;
        if (!writeAll(target, buffer.get(), static_cast<std::size_t>(got)))
            return failed("cannot write", temp);
    }
    ::close(source);
    if (::fsync(target) != 0 || ::close(target) != 0)
        return failed("cannot sync", temp);
    if (::rename(temp.c_str(), out.c_str()) != 0)
        return failed("cannot rename onto", out);
    const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0 || ::fsync(directory) != 0)
        return failed("cannot sync", folder);
    ::close(directory);
    return 0;
}

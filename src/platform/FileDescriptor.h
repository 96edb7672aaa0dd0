#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

class FileSystem;

// A file descriptor of the POSIX writer that is closed when it goes out of
// scope. close() closes it early and reports the error, which matters after
// a write.
class FileDescriptor {
  public:
    FileDescriptor(FileSystem& fs, int fd) : m_fs(fs), m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    explicit operator bool() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    int close();

  private:
    FileSystem& m_fs;
    int m_fd;
};

// The whole of bytes written at fd's position, or from its start at offset
// 0 (writeAllAt), again after a signal; false with errno on failure, ENOSPC
// for a write that took nothing.
bool writeAll(FileSystem& fs, int fd, std::string_view bytes);
bool writeAllAt(FileSystem& fs, int fd, std::string_view bytes);

// The whole file behind fd, read from its start; false with errno.
bool readAll(FileSystem& fs, int fd, std::string& bytes);

// Writes bytes as a new file under name with original's owner (where this
// process may give it) and permission bits, synced; nothing stays under it on
// failure, unless it cannot be removed: then leftover names it. False with
// errno.
bool copyFile(FileSystem& fs, const std::string& bytes, const struct stat& original, const std::string& name,
              std::string* leftover = nullptr);

#include "platform/WinSafeFileWriter.h"
#include "platform/WinText.h"

#include <climits>
#include <vector>

#include "platform/BackupNames.h"
#include "platform/SaveMessages.h"
#include "platform/WinFileErrors.h"
#include <string>

namespace {

constexpr const char* kSeparators = "\\/";

// The path's folder part, up to and including its last separator.
std::string folderPart(const std::string& path)
{
    const std::size_t separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

// Paths are UTF-8, as the command line gave them; the file calls take UTF-16.
bool wide(const std::string& text, std::wstring& wide)
{
    return wideFromUtf8(text, wide);
}

bool fail(std::string& message, DWORD error, const std::string& path)
{
    message = windowsFileErrorMessage(error, path);
    return false;
}

// A failed write, flush or close is reported as a full disk.
bool failWriting(std::string& message, const std::string& path)
{
    return fail(message, ERROR_DISK_FULL, path);
}

} // namespace

// ---- the system's file calls ----------------------------------------------

DWORD WinFileApi::attributes(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str());
}
HANDLE WinFileApi::open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
{
    return ::CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
BOOL WinFileApi::read(HANDLE file, char* data, DWORD size, DWORD& read)
{
    return ::ReadFile(file, data, size, &read, nullptr);
}
BOOL WinFileApi::write(HANDLE file, const char* data, DWORD size, DWORD& written)
{
    return ::WriteFile(file, data, size, &written, nullptr);
}
BOOL WinFileApi::rewind(HANDLE file)
{
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
}
BOOL WinFileApi::truncate(HANDLE file)
{
    return ::SetEndOfFile(file);
}
BOOL WinFileApi::flush(HANDLE file)
{
    return ::FlushFileBuffers(file);
}
BOOL WinFileApi::close(HANDLE file)
{
    return ::CloseHandle(file);
}
BOOL WinFileApi::replace(const std::wstring& replaced, const std::wstring& replacement, const std::wstring* backup)
{
    return ::ReplaceFileW(replaced.c_str(), replacement.c_str(), backup ? backup->c_str() : nullptr,
                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
}
BOOL WinFileApi::move(const std::wstring& from, const std::wstring& to, DWORD flags)
{
    return ::MoveFileExW(from.c_str(), to.c_str(), flags);
}
BOOL WinFileApi::remove(const std::wstring& path)
{
    return ::DeleteFileW(path.c_str());
}

WinFileApi& WinFileApi::system()
{
    static WinFileApi api;
    return api;
}

// ---- the writer -----------------------------------------------------------

WinSafeFileWriter::WinSafeFileWriter() : m_api(WinFileApi::system()) {}
WinSafeFileWriter::WinSafeFileWriter(WinFileApi& api) : m_api(api) {}

bool WinSafeFileWriter::exists(const std::wstring& path)
{
    if (m_api.attributes(path) != INVALID_FILE_ATTRIBUTES)
        return true;
    // Only a name that is surely free counts as free.
    const DWORD error = ::GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

namespace {

// The numbers of the backups of path that its folder holds.
std::vector<int> backupNumbers(const BackupNames& names, const std::string& path)
{
    std::vector<int> numbers;
    const std::string folder = folderPart(path);
    std::wstring pattern;
    if (!wideFromUtf8(folder + "*", pattern))
        return numbers;
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return numbers;
    do {
        if (const int n = names.numberOf(folder + utf8FromWide(entry.cFileName)); n > 0)
            numbers.push_back(n);
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return numbers;
}

} // namespace

bool WinSafeFileWriter::freeBackupName(const std::string& path, std::string& name, std::wstring& wideName)
{
    if (!m_options.backup)
        return false;
    // A name the file calls cannot take stops the search.
    bool unusable = false;
    const BackupNames names(path, BackupNames::Separators::Windows);
    int n = BackupNames::nextNumber(backupNumbers(names, path));
    name = names.nextFree(n, [&](const std::string& candidate) {
        unusable = !wide(candidate, wideName);
        return !unusable && exists(wideName);
    });
    return !unusable && !name.empty();
}

void WinSafeFileWriter::pruneBackups(const std::string& path)
{
    const BackupNames names(path, BackupNames::Separators::Windows);
    for (const int old : BackupNames::beyondKept(backupNumbers(names, path), m_options.keepBackups)) {
        std::wstring wideName;
        if (wide(names.candidate(old), wideName))
            m_api.remove(wideName);
    }
}

bool WinSafeFileWriter::writeAll(HANDLE file, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t left = bytes.size() - done;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!m_api.write(file, bytes.data() + done, chunk, written))
            return false;
        if (written == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += written;
    }
    return true;
}

bool WinSafeFileWriter::readAll(HANDLE file, std::string& bytes)
{
    char buffer[64 * 1024];
    bytes.clear();
    for (;;) {
        DWORD read = 0;
        if (!m_api.read(file, buffer, sizeof buffer, read))
            return false;
        if (read == 0)
            return true;
        bytes.append(buffer, read);
    }
}

// The whole file, read without keeping others from reading or writing it.
bool WinSafeFileWriter::readCopy(const std::wstring& path, std::string& bytes)
{
    const HANDLE file = m_api.open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool read = readAll(file, bytes);
    m_api.close(file);
    return read;
}

// A new file with the bytes, flushed to the disk; none is left on failure.
bool WinSafeFileWriter::writeCopy(const std::wstring& path, const std::string& bytes)
{
    const HANDLE file = m_api.open(path, GENERIC_WRITE, 0, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool written = writeAll(file, bytes) && m_api.flush(file);
    if (!m_api.close(file) || !written) {
        m_api.remove(path);
        return false;
    }
    return true;
}

bool WinSafeFileWriter::save(const std::string& path, const std::string& content, std::string& message)
{
    std::wstring target;
    if (path.empty())
        return fail(message, ERROR_PATH_NOT_FOUND, path);
    if (!wide(path, target))
        return fail(message, ::GetLastError(), path);

    const DWORD attributes = m_api.attributes(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Nothing there yet; a missing folder fails here, before anything
        // is written.
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND)
            return fail(message, error, path);
        return replace(path, target, false, content, message);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return fail(message, ERROR_ACCESS_DENIED, path);
    // A link is written through, so that it stays a link.
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return overwriteInPlace(path, target, content, message);
    return replace(path, target, true, content, message);
}

bool WinSafeFileWriter::replace(const std::string& path, const std::wstring& target, bool exists,
                                const std::string& content, std::string& message)
{
    const std::string folder = folderPart(path);
    std::wstring temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        const std::string name = folder + ".quarvel-save-" + std::to_string(::GetCurrentProcessId()) + "-" +
                                 std::to_string(::GetTickCount64() % 1000000) + "-" + std::to_string(attempt) + ".tmp";
        if (!wide(name, temp))
            break;
        file = m_api.open(temp, GENERIC_WRITE, 0, CREATE_NEW);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return exists ? overwriteInPlace(path, target, content, message)
                      : createInPlace(path, target, content, message);

    const bool written = writeAll(file, content) && m_api.flush(file);
    if (!m_api.close(file) || !written) {
        m_api.remove(temp);
        return failWriting(message, path);
    }

    std::string backupName;
    const DWORD error = exists ? moveIntoPlace(path, target, temp, backupName)
                               : (m_api.move(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                                      ? static_cast<DWORD>(NO_ERROR)
                                      : ::GetLastError());
    if (error == NO_ERROR) {
        if (!backupName.empty())
            pruneBackups(path);
        message = savedMessage(path, backupName);
        return true;
    }
    m_api.remove(temp);
    // An old file that cannot be replaced (another program holds it open,
    // the folder lets no file be renamed) is overwritten where it is, if it
    // can be opened for writing.
    if (exists)
        return overwriteInPlace(path, target, content, message);
    return fail(message, error, path);
}

// Puts the written temporary file in the target's place, the old file under
// a backup name where one can be given. NO_ERROR or the error that stopped
// it; the target then still holds the old file.
DWORD WinSafeFileWriter::moveIntoPlace(const std::string& path, const std::wstring& target, const std::wstring& temp,
                                       std::string& backupName)
{
    std::string candidate;
    std::wstring wideCandidate;
    if (freeBackupName(path, candidate, wideCandidate)) {
        if (m_api.replace(target, temp, &wideCandidate)) {
            backupName = candidate;
            return NO_ERROR;
        }
        if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file went to the backup name, the new one did not
            // follow into its place: move it there, or put the old one back.
            if (m_api.move(temp, target, MOVEFILE_WRITE_THROUGH)) {
                backupName = candidate;
                return NO_ERROR;
            }
            const DWORD error = ::GetLastError();
            m_api.move(wideCandidate, target, MOVEFILE_WRITE_THROUGH);
            return error;
        }
        // The system would not keep the old file under the backup name: keep
        // a copy of it there, then move the new file over it.
        std::string old;
        const bool copied = readCopy(target, old) && writeCopy(wideCandidate, old);
        if (m_api.move(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            if (copied)
                backupName = candidate;
            return NO_ERROR;
        }
        const DWORD error = ::GetLastError();
        if (copied)
            m_api.remove(wideCandidate);
        return error;
    }
    // No backup name is free: the file is replaced without one.
    if (m_api.move(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return NO_ERROR;
    return ::GetLastError();
}

bool WinSafeFileWriter::overwriteInPlace(const std::string& path, const std::wstring& target,
                                         const std::string& content, std::string& message)
{
    const HANDLE file = m_api.open(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return fail(message, ::GetLastError(), path);
    std::string old;
    if (!readAll(file, old)) {
        const DWORD error = ::GetLastError();
        m_api.close(file);
        return fail(message, error, path);
    }

    // The backup is a copy: the file itself never leaves its path. Where
    // none can be made, the old bytes are kept in memory for the way back.
    std::string backupName;
    std::string candidate;
    std::wstring wideCandidate;
    if (freeBackupName(path, candidate, wideCandidate) && writeCopy(wideCandidate, old))
        backupName = candidate;

    const auto overwrite = [&](const std::string& bytes) {
        return m_api.rewind(file) && writeAll(file, bytes) && m_api.truncate(file) && m_api.flush(file);
    };
    if (!overwrite(content)) {
        overwrite(old);
        m_api.close(file);
        return failWriting(message, path);
    }
    if (!m_api.close(file))
        return failWriting(message, path);
    if (!backupName.empty())
        pruneBackups(path);
    message = savedMessage(path, backupName);
    return true;
}

bool WinSafeFileWriter::createInPlace(const std::string& path, const std::wstring& target, const std::string& content,
                                      std::string& message)
{
    const HANDLE file = m_api.open(target, GENERIC_WRITE, 0, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE)
        return fail(message, ::GetLastError(), path);
    const bool written = writeAll(file, content) && m_api.flush(file);
    if (!m_api.close(file) || !written) {
        m_api.remove(target); // we made it: no half file stays
        return failWriting(message, path);
    }
    message = savedMessage(path, std::string());
    return true;
}

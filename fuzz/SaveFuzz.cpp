// Runs the check and the save of whatever record arbitrary bytes make, in a
// temporary folder: a new file, a replacement with its backup, the same in
// place (as when no temporary file can be made) and through a symbolic link.
// The file must hold exactly the formatted record after each save, every
// backup the bytes it replaced, and the check of the record read back from
// the file must equal the check of the record itself.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ConfigurationCheck.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileWriter.h"

namespace {

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "%s\n", what.c_str());
    std::abort();
}

std::string readAll(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        fail("cannot read " + path);
    std::string bytes;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, n);
    std::fclose(file);
    return bytes;
}

// A fresh folder for one run, in memory where there is a place for it.
class RunFolder {
  public:
    RunFolder()
    {
        static const std::string base = std::filesystem::exists("/dev/shm")
                                            ? std::string("/dev/shm")
                                            : std::filesystem::temp_directory_path().string();
        std::string pattern = base + "/quarvel-save-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("mkdtemp failed");
        m_path = pattern;
    }
    ~RunFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

  private:
    std::string m_path;
};

// Refuses temporary files, as a folder the user may not write does.
class NoTemporaryFiles : public FileSystem {
    int open(const std::string& path, int flags, mode_t mode) override
    {
        if (path.find("/.quarvel-save.") != std::string::npos) {
            errno = EACCES;
            return -1;
        }
        return FileSystem::open(path, flags, mode);
    }
};

void expectSaved(bool saved, const std::string& message, const std::string& path, const std::string& text)
{
    if (!saved)
        fail("save failed: " + message);
    if (readAll(path) != text)
        fail("the file does not hold the saved text: " + path);
}

void expectSameFaults(const ConfigurationFaults& a, const ConfigurationFaults& b)
{
    if (a.lines != b.lines || a.firstErrorPage != b.firstErrorPage)
        fail("the check of the saved file differs from the check of the record");
    if (a.empty() != (a.firstErrorPage == 0))
        fail("a page is named without a fault, or a fault without a page");
    for (const std::string& line : a.lines) {
        if (line.empty() || line.back() != '\n')
            fail("a fault line does not end in a line feed");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Configuration config;
    ConfigReader(config).readText(std::string_view(reinterpret_cast<const char*>(data), size));
    const ConfigurationFaults faults = findConfigurationFaults(config);
    const std::string text = formatConfiguration(config);

    const RunFolder run;
    const std::string& folder = run.path();
    const std::string path = folder + "/config.cfg";
    std::string message;
    expectSaved(config.saveToFile(path, message), message, path, text);
    if (message != "Configuration saved to file '" + path + "'.")
        fail("unexpected message: " + message);

    Configuration reloaded;
    if (!reloaded.loadFromFile(path, message))
        fail("cannot load the saved file: " + message);
    expectSameFaults(faults, findConfigurationFaults(reloaded));

    // Over the existing file: the old one becomes the backup.
    const std::string shorter = "; kept\r\n" + std::string(data, data + size / 2);
    expectSaved(SafeFileWriter().save(path, shorter, message), message, path, shorter);
    if (readAll(folder + "/config.bak") != text)
        fail("the backup does not hold the replaced file");

    // In place, with a copy as the backup.
    NoTemporaryFiles noTemp;
    expectSaved(SafeFileWriter(noTemp).save(path, text, message), message, path, text);
    if (readAll(folder + "/config.bk2") != shorter)
        fail("the in-place backup does not hold the replaced file");

    // Through a symbolic link: the file it points to is replaced.
    const std::string link = folder + "/link.cfg";
    if (::symlink("config.cfg", link.c_str()) != 0)
        fail("symlink failed");
    expectSaved(SafeFileWriter().save(link, shorter, message), message, path, shorter);
    if (!std::filesystem::is_symlink(link) || readAll(folder + "/config.bk3") != text)
        fail("saving through the link did not keep the link and the backup");
    return 0;
}

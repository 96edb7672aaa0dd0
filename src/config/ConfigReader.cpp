#include "config/ConfigReader.h"

#include <cerrno>
#include <memory>
#include <new>
#ifdef _WIN32
#include <algorithm>
#include <climits>
#include <windows.h>

#include "config/WinFileErrors.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include "config/Configuration.h"
#include "config/FileErrors.h"
#include "config/NumberText.h"
#include "config/Vocabulary.h"
#include "text/AsciiCase.h"

namespace {

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

template <typename Target> struct KeyRule {
    const char* key;
    void (*apply)(Target&, const std::string&);
};

// Applies the first rule whose key equals key; false when none does.
template <typename Target, std::size_t N>
bool ApplyRule(const KeyRule<Target> (&rules)[N], Target& target, const std::string& key, const std::string& value)
{
    for (const KeyRule<Target>& rule : rules) {
        if (key == rule.key) {
            rule.apply(target, value);
            return true;
        }
    }
    return false;
}

using Cfg = CConfiguration;
using V = const std::string&;

const KeyRule<Cfg> kGeneralPrinterKeys[] = {
    {"DELETEJOBFILE", [](Cfg& c, V v) { c.DeleteJobFile = ParseYesNo(v, true); }},
    {"SURPRESSPRINTING", [](Cfg& c, V v) { c.SuppressPrinting = ParseYesNo(v, false); }},
    {"SUPPRESSPRINTING", [](Cfg& c, V v) { c.SuppressPrinting = ParseYesNo(v, false); }},
    {"ASYNCHRONOUS", [](Cfg& c, V v) { c.Asynchronous = ParseYesNo(v, true); }},
    {"PRINTER", [](Cfg& c, V v) { c.Printer = ParseInteger(v); }},
};

const KeyRule<sPrinter> kPrinterKeys[] = {
    {"DESCRIPTION", [](sPrinter& p, V v) { p.Description = v; }},
    {"PRINTERAETITLE", [](sPrinter& p, V v) { p.PrinterAETitle = v; }},
    {"PRINTERADDRESS", [](sPrinter& p, V v) { p.PrinterAddress = v; }},
    {"PRINTERQUEUE", [](sPrinter& p, V v) { p.PrinterQueue = v; }},
    {"USEGRAYGRADUATION", [](sPrinter& p, V v) { p.UseGrayGraduation = ParseYesNo(v, false); }},
    {"USECOLORGRADUATION", [](sPrinter& p, V v) { p.UseColorGraduation = ParseYesNo(v, false); }},
    {"USEREDGRADUATION", [](sPrinter& p, V v) { p.UseRedGraduation = ParseYesNo(v, false); }},
    {"USEGREENGRADUATION", [](sPrinter& p, V v) { p.UseGreenGraduation = ParseYesNo(v, false); }},
    {"USEBLUEGRADUATION", [](sPrinter& p, V v) { p.UseBlueGraduation = ParseYesNo(v, false); }},
    {"GRAYGRADUATIONFILE", [](sPrinter& p, V v) { p.GrayGraduationFile = v; }},
    {"COLORGRADUATIONFILE", [](sPrinter& p, V v) { p.ColorGraduationFile = v; }},
    {"REDGRADUATIONFILE", [](sPrinter& p, V v) { p.RedGraduationFile = v; }},
    {"GREENGRADUATIONFILE", [](sPrinter& p, V v) { p.GreenGraduationFile = v; }},
    {"BLUEGRADUATIONFILE", [](sPrinter& p, V v) { p.BlueGraduationFile = v; }},
};

const KeyRule<sPaper> kPaperKeys[] = {
    {"DESCRIPTION", [](sPaper& p, V v) { p.Description = v; }},
    {"PAPERLABEL", [](sPaper& p, V v) { p.PaperLabel = v; }},
    {"HEADERNAME", [](sPaper& p, V v) { p.HeaderName = v; }},
    {"SIZEX", [](sPaper& p, V v) { p.SizeX = ParseInteger(v); }},
    {"SIZEY", [](sPaper& p, V v) { p.SizeY = ParseInteger(v); }},
    {"SKIPX", [](sPaper& p, V v) { p.SkipX = ParseInteger(v); }},
    {"SKIPY", [](sPaper& p, V v) { p.SkipY = ParseInteger(v); }},
    {"OFFSETX", [](sPaper& p, V v) { p.OffsetX = ParseInteger(v); }},
    {"OFFSETY", [](sPaper& p, V v) { p.OffsetY = ParseInteger(v); }},
};

const KeyRule<sHeader> kHeaderKeys[] = {
    {"INCLUDEFILE", [](sHeader& h, V v) { h.IncludeFile = v; }},
};

const KeyRule<Cfg> kDicomPrinterGeneralKeys[] = {
    {"PRINTERNAME", [](Cfg& c, V v) { c.PrinterName = v; }},
    {"MANUFACTURER", [](Cfg& c, V v) { c.Manufacturer = v; }},
};

const KeyRule<Cfg> kDicomLabelKeys[] = {
    {"INCLUDELABEL", [](Cfg& c, V v) { c.IncludeLabel = ParseYesNo(v, false); }},
    {"LABELSIZE", [](Cfg& c, V v) { c.LabelSize = ParseInteger(v); }},
    {"POSITIONX", [](Cfg& c, V v) { c.PositionX = ParseInteger(v); }},
    {"POSITIONY", [](Cfg& c, V v) { c.PositionY = ParseInteger(v); }},
    {"TEXT", [](Cfg& c, V v) { c.Text = v; }},
};

const KeyRule<Cfg> kDicomPostScriptKeys[] = {
    {"SUPPORTSCOLORIMAGE", [](Cfg& c, V v) { c.SupportsColorImage = ParseYesNo(v, true); }},
    {"USECMYK", [](Cfg& c, V v) { c.UseCMYK = ParseYesNo(v, true); }},
};

const KeyRule<Cfg> kServiceClassKeys[] = {
    {"BASICGRAYSCALEMETASOPCLASS", [](Cfg& c, V v) { c.BasicGrayscaleMetaSOPClass = ParseYesNo(v, true); }},
    {"BASICCOLORMETASOPCLASS", [](Cfg& c, V v) { c.BasicColorMetaSOPClass = ParseYesNo(v, true); }},
    {"ANNOTATION", [](Cfg& c, V v) { c.Annotation = ParseYesNo(v, false); }},
    {"PRINTJOB", [](Cfg& c, V v) { c.PrintJob = ParseYesNo(v, false); }},
};

const KeyRule<Cfg> kCompatibilityKeys[] = {
    {"LENIENTMODE", [](Cfg& c, V v) { c.LenientMode = ParseYesNo(v, true); }},
    {"IGNOREMAGNIFICATIONTYPE", [](Cfg& c, V v) { c.IgnoreMagnificationType = ParseYesNo(v, true); }},
    {"IGNORECONFIGURATIONINFORMATION", [](Cfg& c, V v) { c.IgnoreConfigurationInformation = ParseYesNo(v, true); }},
    {"IGNOREANNOTATIONFORMAT", [](Cfg& c, V v) { c.IgnoreAnnotationFormat = ParseYesNo(v, true); }},
    {"SKIPIMAGEPIXEL", [](Cfg& c, V v) { c.SkipImagePixel = ParseYesNo(v, true); }},
};

const KeyRule<Cfg> kSessionKeys[] = {
    {"COPIES", [](Cfg& c, V v) { c.Copies = ParseInteger(v); }},
    {"PRIORITY", [](Cfg& c, V v) { c.Priority = PriorityCode(v); }},
    {"MEDIUMTYPE", [](Cfg& c, V v) { c.MediumType = MediumCode(v); }},
    {"DESTINATION", [](Cfg& c, V v) { c.Destination = DestinationCode(v); }},
    {"LABEL", [](Cfg& c, V v) { c.Label = v; }},
};

const KeyRule<Cfg> kServerKeys[] = {
    {"PORT", [](Cfg& c, V v) { c.Port = ParseInteger(v); }},
    {"SERVERAETITLE", [](Cfg& c, V v) { c.ServerAETitle = v; }},
    {"CHECKAETITLES", [](Cfg& c, V v) { c.CheckAETitles = ParseYesNo(v, false); }},
};

const KeyRule<sLayout> kLayoutGeneralKeys[] = {
    {"DESCRIPTION", [](sLayout& l, V v) { l.Description = v; }},
    {"IMAGEDISTANCE", [](sLayout& l, V v) { l.ImageDistance = ParseReal(v); }},
    {"TRIMWIDTH", [](sLayout& l, V v) { l.TrimWidth = ParseReal(v); }},
};

const KeyRule<sLayout> kLayoutDefaultsKeys[] = {
    {"ORIENTATION", [](sLayout& l, V v) { l.Orientation = OrientationCode(v); }},
    {"TRIM", [](sLayout& l, V v) { l.Trim = ParseYesNo(v, false); }},
    {"BORDERDENSITY", [](sLayout& l, V v) { l.BorderDensity = v; }},
    {"EMPTYIMAGEDENSITY", [](sLayout& l, V v) { l.EmptyImageDensity = v; }},
    {"PAGESIZE", [](sLayout& l, V v) { l.PageSize = v; }},
};

sPrinter NewReaderPrinter()
{
    sPrinter printer;
    printer.PrinterAETitle = "SAMPLE";
    printer.PrinterAddress = "localhost";
    printer.PrinterQueue = "queue";
    return printer;
}

} // namespace

ConfigReader::ConfigReader(CConfiguration& config) : m_config(config)
{
    std::size_t i = 0;
    for (const sPaper& paper : m_config.Papers)
        m_paperIndex.emplace(paper.Name, i++); // emplace keeps the first match
    i = 0;
    for (const sHeader& header : m_config.Headers)
        m_headerIndex.emplace(header.Name, i++);
}

namespace {

#ifndef _WIN32
// The character device that reads as an empty file.
bool IsNullDevice(const struct stat& st)
{
    return S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, 3);
}

struct DescriptorCloser {
    void operator()(const int* fd) const { ::close(*fd); }
};

bool Fail(std::string& message, int error, const std::string& path)
{
    message = FileErrorMessage(error, path);
    return false;
}
#endif

// Reads chunkSize bytes at a time through read (the count read, 0 at the
// end, negative on failure) and cuts lines at LF; a CR right before the LF
// belongs to the line end. A line may span any number of chunks. False when
// a read fails, with the system's error left by read.
template <typename ReadChunk>
bool ReadLines(ReadChunk read, std::size_t chunkSize, ConfigReader& reader, EncodingDetector& encoding)
{
    const std::unique_ptr<char[]> buffer(new char[chunkSize]);
    std::string pending;
    for (;;) {
        const long long got = read(buffer.get(), chunkSize);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        std::string_view chunk(buffer.get(), static_cast<std::size_t>(got));
        encoding.Feed(chunk);
        while (!chunk.empty()) {
            const std::size_t lf = chunk.find('\n');
            if (lf == std::string_view::npos) {
                pending.append(chunk);
                break;
            }
            std::string_view line = chunk.substr(0, lf);
            if (!pending.empty()) {
                pending.append(line);
                line = pending;
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            reader.DispatchLine(line);
            pending.clear();
            chunk.remove_prefix(lf + 1);
        }
    }
    if (!pending.empty()) {
        std::string_view line = pending;
        if (line.back() == '\r')
            line.remove_suffix(1);
        reader.DispatchLine(line);
    }
    return true;
}

#ifdef _WIN32
// Texts are in the program's code page; the file calls take UTF-16.
bool WidePath(const std::string& path, std::wstring& wide)
{
    const int length = static_cast<int>(std::min<std::size_t>(path.size(), INT_MAX));
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
    if (size <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(size));
    return ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), size) == size;
}

// Only files on a disk are read: a pipe or a device may block or never end.
// A folder cannot be opened and is reported as access denied, as on Linux.
bool ReadRegularFile(const std::string& path, std::string& message, std::size_t chunkSize, ConfigReader& reader,
                     EncodingDetector& encoding)
{
    std::wstring wide;
    if (path.empty() || !WidePath(path, wide)) {
        message = WindowsFileErrorMessage(path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError(), path);
        return false;
    }
    const HANDLE file =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        message = WindowsFileErrorMessage(::GetLastError(), path);
        return false;
    }
    const std::unique_ptr<void, decltype(&::CloseHandle)> closer(file, &::CloseHandle);
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        message = FileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    const auto read = [file](char* buffer, std::size_t size) -> long long {
        DWORD got = 0;
        const DWORD wanted = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        return ::ReadFile(file, buffer, wanted, &got, nullptr) ? static_cast<long long>(got) : -1;
    };
    if (!ReadLines(read, chunkSize == 0 ? 1 : chunkSize, reader, encoding)) {
        message = WindowsFileErrorMessage(::GetLastError(), path);
        return false;
    }
    return true;
}
#else
// Only regular files are read: a pipe or a device may block or never end,
// and opening some devices has effects of its own. /dev/null reads as an
// empty file.
bool ReadRegularFile(const std::string& path, std::string& message, std::size_t chunkSize, ConfigReader& reader,
                     EncodingDetector& encoding)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return Fail(message, errno, path);
    if (S_ISDIR(st.st_mode))
        return Fail(message, EISDIR, path);
    if (IsNullDevice(st))
        return true;
    if (!S_ISREG(st.st_mode)) {
        message = FileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    // Non-blocking, so that a pipe put there meanwhile cannot hang the open.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return Fail(message, errno, path);
    const std::unique_ptr<int, DescriptorCloser> closer(&fd);
    if (::fstat(fd, &st) != 0)
        return Fail(message, errno, path);
    if (!S_ISREG(st.st_mode)) {
        message = FileErrorMessage(FileErrorCause::NotRegularFile, path);
        return false;
    }
    const auto read = [fd](char* buffer, std::size_t size) -> long long {
        ssize_t got;
        while ((got = ::read(fd, buffer, size)) < 0 && errno == EINTR) {
        }
        return got;
    };
    if (!ReadLines(read, chunkSize == 0 ? 1 : chunkSize, reader, encoding))
        return Fail(message, errno, path);
    return true;
}
#endif

} // namespace

bool ConfigReader::ReadFile(const std::string& path, std::string& message, std::size_t chunkSize)
{
    // Out of memory fails the read like a file error; the lines read so far
    // stay applied.
    try {
        const bool read = ReadRegularFile(path, message, chunkSize, *this, m_encoding);
        if (read)
            m_config.Encoding = m_encoding.Encoding();
        return read;
    } catch (const std::bad_alloc&) {
        message = FileErrorMessage(ENOMEM, path);
        return false;
    }
}

void ConfigReader::ReadText(std::string_view text)
{
    m_encoding.Feed(text);
    m_config.Encoding = m_encoding.Encoding();
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        DispatchLine(line);
        if (lf == std::string_view::npos)
            break;
        text.remove_prefix(lf + 1);
    }
}

void ConfigReader::DispatchLine(std::string_view line)
{
    if (line.empty())
        return;
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    if (!line.empty() && line.front() == ';')
        return;
    if (!line.empty() && line.front() == '[') {
        ReadSectionHeader(line);
        return;
    }
    ReadKeyLine(line);
}

void ConfigReader::ReadSectionHeader(std::string_view rawLine)
{
    // A carriage return inside a header line cannot be written back (the
    // writer drops it from every text), so it is dropped before the line is
    // read: a header then reads back exactly as it was written.
    std::string line;
    line.reserve(rawLine.size());
    for (char c : rawLine)
        if (c != '\r')
            line += c;

    std::size_t level = 0;
    while (level < line.size() && level < 4 && line[level] == '[')
        ++level;
    if (level >= 4)
        return;
    std::string_view name = std::string_view(line).substr(level);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos)
        name = name.substr(0, close);
    SetSectionName(static_cast<int>(level), name);
}

void ConfigReader::SetSectionName(int level, std::string_view name)
{
    switch (level) {
    case 3:
        m_upper3 = UpperAscii(std::string(name));
        break;
    case 2:
        m_upper2 = UpperAscii(std::string(name));
        break;
    default:
        m_level1 = std::string(name);
        m_upper1 = UpperAscii(m_level1);
        break;
    }
}

void ConfigReader::ReadKeyLine(std::string_view line)
{
    std::string cleaned;
    cleaned.reserve(line.size());
    for (char c : line)
        if (c != '\t' && c != '\n' && c != '\r')
            cleaned += c;
    const std::size_t eq = cleaned.find('=');
    if (cleaned.empty() || eq == std::string::npos)
        return;

    const std::string key = UpperAscii(std::string(Trim(std::string_view(cleaned).substr(0, eq))));
    const std::string value(Trim(std::string_view(cleaned).substr(eq + 1)));

    // Group A: general printer settings and the printer sections.
    if (m_upper3 == "PRINTER" && m_upper2 == "SETTINGS") {
        if (m_upper1 == "GENERAL")
            ApplyRule(kGeneralPrinterKeys, m_config, key, value);
        else if (m_upper1.find("PRINTER-") != std::string::npos)
            ApplyPrinterSection(key, value);
        return;
    }
    // Group B: paper sizes, one section per name.
    if (m_upper3 == "CONFIGURATION" && m_upper2 == "PAGE SIZE") {
        ApplyRule(kPaperKeys, PaperForSection(), key, value);
        return;
    }
    // Group C: header bitmaps, one section per name.
    if (m_upper3 == "HEADER" && m_upper2 == "STANDARD") {
        ApplyRule(kHeaderKeys, HeaderForSection(), key, value);
        return;
    }
    // Group D: the DICOM side of the server.
    if (m_upper3 == "DICOM") {
        if (m_upper2 == "PRINTER") {
            if (m_upper1 == "GENERAL")
                ApplyRule(kDicomPrinterGeneralKeys, m_config, key, value);
            else if (m_upper1 == "LABEL")
                ApplyRule(kDicomLabelKeys, m_config, key, value);
            else if (m_upper1 == "POSTSCRIPT")
                ApplyRule(kDicomPostScriptKeys, m_config, key, value);
        } else if (m_upper2 == "DIMSE") {
            if (m_upper1 == "SERVICE CLASSES")
                ApplyRule(kServiceClassKeys, m_config, key, value);
            else if (m_upper1 == "COMPATIBILITY")
                ApplyRule(kCompatibilityKeys, m_config, key, value);
        } else if (m_upper2 == "SESSION") {
            if (m_upper1 == "GENERAL")
                ApplyRule(kSessionKeys, m_config, key, value);
        } else if (m_upper2 == "TCPIP") {
            if (m_upper1 == "SERVER")
                ApplyRule(kServerKeys, m_config, key, value);
        }
        return;
    }
    // Group E: the standard layout.
    if (m_upper3 == "LAYOUTS" && m_upper2 == "STANDARD") {
        if (m_upper1 == "GENERAL")
            ApplyRule(kLayoutGeneralKeys, m_config.Layout, key, value);
        else if (m_upper1 == "DEFAULTS")
            ApplyRule(kLayoutDefaultsKeys, m_config.Layout, key, value);
    }
}

bool ConfigReader::ApplyPrinterSection(const std::string& key, const std::string& value)
{
    // The number follows the first '-' of the section name; computed in 64
    // bits so that "Printer-2147483648" cannot overflow.
    const std::size_t dash = m_upper1.find('-');
    const long long position = static_cast<long long>(ParseInteger(m_upper1.substr(dash + 1))) - 1;

    // One new printer per key line while the position lies beyond the list.
    CPrinterList& printers = m_config.Printers;
    if (!printers.IsValidIndex(position))
        printers.Add(NewReaderPrinter());
    sPrinter* printer = printers.GetAt(position);
    if (!printer)
        return false;
    return ApplyRule(kPrinterKeys, *printer, key, value);
}

namespace {

// The first record of the section's name, appended when there is none; the
// index keeps the lookup constant-time (the reader only ever appends).
template <typename Record, typename List>
Record& RecordForSection(List& list, std::unordered_map<std::string, std::size_t>& index, const std::string& name)
{
    auto found = index.find(name);
    if (found == index.end()) {
        Record record;
        record.Name = name;
        list.Add(record);
        found = index.emplace(name, static_cast<std::size_t>(list.GetCount() - 1)).first;
    }
    return *(list.begin() + static_cast<std::ptrdiff_t>(found->second));
}

} // namespace

sPaper& ConfigReader::PaperForSection()
{
    return RecordForSection<sPaper>(m_config.Papers, m_paperIndex, m_level1);
}

sHeader& ConfigReader::HeaderForSection()
{
    return RecordForSection<sHeader>(m_config.Headers, m_headerIndex, m_level1);
}

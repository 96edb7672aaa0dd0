#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "config/TextEncoding.h"

class CConfiguration;
struct sPaper;
struct sHeader;

// The lenient reader of configuration files. It applies every recognised
// line on top of the record it was given and skips everything else silently;
// only file-system errors fail a read.
class ConfigReader {
  public:
    explicit ConfigReader(CConfiguration& config);

    // Reads a regular file (or /dev/null, as empty) in chunks of chunkSize
    // bytes. Fails with the message for a file error, a pipe or device, or
    // running out of memory; lines read before a failure stay applied.
    static constexpr std::size_t kChunkSize = 64 * 1024;
    bool ReadFile(const std::string& path, std::string& message, std::size_t chunkSize = kChunkSize);

    // Applies a whole text (LF or CR LF line ends) as if read from a file.
    void ReadText(std::string_view text);

    void DispatchLine(std::string_view line);

  private:
    void ReadSectionHeader(std::string_view line);
    void ReadKeyLine(std::string_view line);
    void SetSectionName(int level, std::string_view name);

    bool ApplyPrinterSection(const std::string& key, const std::string& value);
    sPaper& PaperForSection();
    sHeader& HeaderForSection();

    CConfiguration& m_config;
    EncodingDetector m_encoding;

    // The current section path, as written and upper-cased for matching.
    std::string m_level1;
    std::string m_upper1, m_upper2, m_upper3;

    // First position of each paper and header name. The reader only appends,
    // so a first match, once known, stays the first match for the whole read;
    // this keeps every key line O(1) instead of rescanning the list.
    std::unordered_map<std::string, std::size_t> m_paperIndex;
    std::unordered_map<std::string, std::size_t> m_headerIndex;
};

#include "cli/ConfigEdit.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "config/ConfigFields.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "platform/FileNames.h"

namespace {

constexpr std::string_view kBackupLine = "\nOld configuration:\t";

std::string warningText(const std::string& file, const Finding& finding, TextEncoding encoding)
{
    return decodeText(file + ":" + std::to_string(finding.line) + ": warning: " + finding.text + " [" +
                          findingKindName(finding.kind) + "]",
                      encoding);
}

} // namespace

bool ConfigEdit::open(const std::string& path, bool createMissing, const WritePolicy& policy, std::string& message)
{
    m_path = path;
    if (!m_guard.begin(path, policy, message))
        return false;
    // A path whose last link ends nowhere counts as missing: the writer
    // creates the file the link names.
    m_existed = !(pathStatus(path) == ENOENT && createMissing);
    if (m_existed && !ConfigReader(m_original, &m_findings)
                          .readFile(path, message, ConfigReader::kChunkSize,
                                    [this](std::string_view chunk) { m_guard.feed(chunk); }))
        return false;
    if (!m_guard.acceptsContent(message))
        return false;
    m_originalText = formatConfiguration(m_original);
    copyToResult();
    return true;
}

void ConfigEdit::openText(std::string_view bytes)
{
    m_path = "<stdin>";
    m_existed = true;
    m_fromText = true;
    ConfigReader(m_original, &m_findings).readText(bytes);
    m_oldBytes.assign(bytes);
    m_oldBytesRead = true;
    m_originalText = formatConfiguration(m_original);
    copyToResult();
}

// The copy is read from a save of the original: the writer's text reads back
// into the same record (the round trip the writer's tests hold it to).
void ConfigEdit::copyToResult()
{
    ConfigReader(m_result).readText(m_originalText);
    m_result.Encoding = m_original.Encoding;
}

bool ConfigEdit::changed() const
{
    return !m_existed || newText() != m_originalText;
}

const std::string& ConfigEdit::newText() const
{
    m_newText = formatConfiguration(m_result);
    return m_newText;
}

const std::string& ConfigEdit::oldText()
{
    if (!m_oldBytesRead && m_existed) {
        std::ifstream in(libraryPath(m_path), std::ios::binary);
        m_oldBytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    m_oldBytesRead = true;
    return m_oldBytes;
}

bool ConfigEdit::save(std::string& message, std::string& backupName, const SaveOptions& options) const
{
    backupName.clear();
    if (!m_result.saveToFile(m_path, message, options))
        return false;
    // The writer names the backup in its message, on a line of its own.
    if (const std::size_t at = message.find(kBackupLine); at != std::string::npos) {
        backupName = message.substr(at + kBackupLine.size());
        backupName.erase(std::min(backupName.find('\n'), backupName.size()));
    }
    return true;
}

std::vector<std::string> ConfigEdit::warnings(bool rewritten)
{
    std::vector<std::string> texts;
    if (!rewritten) {
        m_findings.forEach(
            [&](const Finding& finding) { texts.push_back(warningText(m_path, finding, m_original.Encoding)); },
            findReferenceWarnings(m_original, m_findings));
        return texts;
    }
    m_findings.forEach([&](const Finding& finding) {
        if (losesContent(finding.kind))
            texts.push_back(warningText(m_path, finding, m_original.Encoding));
    });
    // The new file's own findings, with its line numbers.
    Configuration written;
    ReaderFindings findings;
    ConfigReader(written, &findings).readText(newText());
    std::vector<Finding> references = findReferenceWarnings(written, findings);
    sortByLine(references);
    for (const Finding& finding : references)
        texts.push_back(warningText(m_path, finding, m_result.Encoding));
    return texts;
}

#include "cli/ConfigEdit.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>

#include "config/ConfigFields.h"
#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/ConfigurationCheck.h"
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
    if (m_existed && !ConfigReader(m_config, &m_findings)
                          .readFile(path, message, ConfigReader::kChunkSize,
                                    [this](std::string_view chunk) { m_guard.feed(chunk); }))
        return false;
    if (!m_guard.acceptsContent(message))
        return false;
    m_originalEncoding = m_config.Encoding;
    return true;
}

void ConfigEdit::openText(std::string_view bytes)
{
    m_path = "<stdin>";
    m_existed = true;
    ConfigReader(m_config, &m_findings).readText(bytes);
    m_originalEncoding = m_config.Encoding;
    m_oldBytes.assign(bytes);
    m_oldBytesRead = true;
}

ConfigurationEditor& ConfigEdit::editor(JsonTyping typing)
{
    if (!m_editor) {
        m_faultsBefore = findConfigurationFaults(m_config).lines;
        m_editor.emplace(m_config, typing);
    }
    return *m_editor;
}

bool ConfigEdit::changed() const
{
    return !m_existed || (m_editor && m_editor->changed());
}

const std::string& ConfigEdit::newText() const
{
    if (!m_newText)
        m_newText = formatConfiguration(m_config);
    return *m_newText;
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
    if (!m_config.saveToFile(m_path, message, options))
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
            [&](const Finding& finding) { texts.push_back(warningText(m_path, finding, m_originalEncoding)); },
            findReferenceWarnings(m_config, m_findings));
        return texts;
    }
    m_findings.forEach([&](const Finding& finding) {
        if (losesContent(finding.kind))
            texts.push_back(warningText(m_path, finding, m_originalEncoding));
    });
    // The new file's own findings, with its line numbers.
    Configuration written;
    ReaderFindings findings;
    ConfigReader(written, &findings).readText(newText());
    std::vector<Finding> references = findReferenceWarnings(written, findings);
    sortByLine(references);
    for (const Finding& finding : references)
        texts.push_back(warningText(m_path, finding, m_config.Encoding));
    return texts;
}

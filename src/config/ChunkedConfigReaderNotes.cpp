// What the reader notes, when asked, about sections and the lines a save
// would not keep: the findings of ChunkedConfigReader that are no key line's own.
#include <string>

#include "config/ChunkedConfigReader.h"
#include "config/ConfigKeys.h"
#include "config/Configuration.h"
#include "config/NumberText.h"
#include "config/ReaderFindings.h"

namespace {

bool isBannerLine(std::string_view line)
{
    for (const std::string_view banner : fileBanner())
        if (line == banner)
            return true;
    return false;
}

} // namespace

void ChunkedConfigReader::note(FindingKind kind, FindingText text, std::initializer_list<std::string_view> arguments)
{
    m_findings->items.add(kind, text, m_line, m_source, 1, arguments);
}

void ChunkedConfigReader::noteComment(std::string_view line)
{
    if (!isBannerLine(line))
        note(FindingKind::Comment, FindingText::Comment);
}

// The lines of the record of the current section entry, looked up once.
std::uint32_t* ChunkedConfigReader::entryLines(RecordLines& lines, std::size_t record)
{
    if (!m_entryLines)
        m_entryLines = lines.linesFor(record);
    return m_entryLines;
}

std::uint32_t* ChunkedConfigReader::fixedSectionLines()
{
    if (!m_findings)
        return nullptr;
    return m_findings->sections[static_cast<std::size_t>(m_section - fileSections().data())].data();
}

// A key line the current section has no place for. Lines under a header are
// counted and reported with it when the section ends; a line before any
// header, or one that only adds a placeholder printer, on its own.
void ChunkedConfigReader::noteUnplacedLine()
{
    if (m_section && m_section->kind == SectionKind::Printers && m_printerPosition >= 0) {
        note(FindingKind::UnknownSection, FindingText::NoPrinterYet,
             {m_sectionName, std::to_string(m_printerPosition + 1)});
        return;
    }
    if (m_headerLine == 0)
        note(FindingKind::UnknownSection, FindingText::KeyBeforeHeader);
}

// The first applied line of an entry into a section: a section met before
// with key lines is a duplicate; its lines go on the same record.
void ChunkedConfigReader::noteNewSectionEntry(std::uint32_t* lines)
{
    m_entryNoted = true;
    const std::uint32_t header = m_headerLine ? m_headerLine : m_line;
    if (lines[0] == 0) {
        lines[0] = header;
        return;
    }
    if (lines[0] != header)
        m_findings->items.add(FindingKind::Duplicate, FindingText::SectionAgain, header,
                              m_headerLine ? std::string_view(m_headerSource) : m_source, 1,
                              {m_sectionName, std::to_string(lines[0])});
}

// Ends the current entry into a section: a header the configuration has no
// place for is reported with the key lines under it; a printer, paper or
// header section without key lines makes no record, so its header is lost.
void ChunkedConfigReader::closeSection()
{
    if (m_headerLine == 0)
        return;
    const bool noPrinter = m_section && m_section->kind == SectionKind::Printers && m_printerPosition < 0;
    FindingList& late = m_findings->sectionEnds;
    if (!m_section || noPrinter) {
        if (m_keyLines == 0 && !m_enteredByLevel1)
            return;
        const std::string keyLines =
            m_keyLines == 0 ? std::string()
                            : " and its " + std::to_string(m_keyLines) + (m_keyLines == 1 ? " key line" : " key lines");
        if (noPrinter)
            late.add(FindingKind::UnknownSection, FindingText::NoPrinterSection, m_headerLine, m_headerSource,
                     1 + m_keyLines, {m_sectionName, keyLines});
        else
            late.add(FindingKind::UnknownSection, FindingText::UnknownSection, m_headerLine, m_headerSource,
                     1 + m_keyLines, {m_blockName, m_groupName, m_sectionName, keyLines});
        return;
    }
    const bool repeated = m_section->kind == SectionKind::Printers || m_section->kind == SectionKind::Papers ||
                          m_section->kind == SectionKind::Headers;
    if (repeated && m_enteredByLevel1 && m_keyLines == 0)
        late.add(FindingKind::UnknownSection, FindingText::NoKeyLineSection, m_headerLine, m_headerSource, 1,
                 {m_sectionName});
}

void ChunkedConfigReader::finish()
{
    if (!m_findings)
        return;
    closeSection();
    m_headerLine = 0;
    for (const WrittenElsewhere& w : m_writtenElsewhere) {
        std::string written;
        appendWrittenValue(written, *w.def, m_config);
        bool exact = true;
        const std::string read =
            w.def->type == KeyType::Integer ? formatInteger(parseInteger(w.value, &exact)) : w.value;
        // In line order: each key's last line, and the keys in the order of those lines.
        if (read != written || !exact)
            m_findings->fileEnd.add(FindingKind::ValueReplaced, FindingText::WrittenByTheWriter, w.line, w.source, 1,
                                    {w.value, w.def->key, written});
    }
    m_writtenElsewhere.clear();
}

#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "cli/CfgCommand.h"
#include "config/ReaderFindings.h"

struct ConfigurationFaults;

// The report of `quarvel-cfg check`: the faults, then the warnings of the
// reader and about references, as text lines or as one JSON document.
namespace cfgtool {

// The bytes of the reader's findings check keeps from its first reading of a
// file. A file with more (a finding on every line of some megabytes) is read
// a second time, and its findings go into the report as they are made, so
// that the check needs little more memory than the record.
constexpr std::size_t kKeptFindings = 4 * 1024 * 1024;

// quarvel-cfg check of path ("-": standard input), as text or JSON, keeping
// at most keptFindings bytes of findings from the first reading.
int checkConfiguration(Invocation& invocation, const std::string& path, bool json, std::size_t keptFindings);

// The findings of the reader and the warnings about references as one run
// in line order (on the same line the reader's first), from what produces
// them: the findings kept by a reading, or a second reading that hands them
// out as it goes.
class CheckWarnings {
  public:
    using Visit = std::function<void(const Finding&)>;
    explicit CheckWarnings(std::function<void(const Visit&)> produce) : m_produce(std::move(produce)) {}

    // Visits every warning, once.
    void forEach(const Visit& visit)
    {
        m_count = 0;
        m_produce([&](const Finding& finding) {
            ++m_count;
            visit(finding);
        });
    }
    // How many the last forEach visited.
    std::size_t size() const { return m_count; }

  private:
    std::function<void(const Visit&)> m_produce;
    std::size_t m_count = 0;
};

// The lines of a text, from the first on, for a reader that asks for them
// in order: only the line asked for last is held.
class ForwardLines {
  public:
    explicit ForwardLines(std::istream& in) : m_in(in) {}

    // Line number (from 1) without its line end; empty for 0 and past the end.
    const std::string& line(std::size_t number);

  private:
    std::istream& m_in;
    std::string m_line;
    std::size_t m_number = 0;
};

// Each fault as a line, each warning as "FILE:LINE: warning: TEXT [KIND]",
// then the count of both.
void printCheckText(std::ostream& out, const std::string& file, const ConfigurationFaults& faults,
                    CheckWarnings& warnings);

// The document as jsonText writes it, with the warnings written one at a
// time, so that a file with a warning on every line needs no document of
// them all in memory. Texts are bytes of any code page: valid UTF-8 passes,
// any other byte is taken as Latin-1, so that the document is always valid
// UTF-8. A warning's source is read from lines.
void printCheckJson(std::ostream& out, const std::string& file, const ConfigurationFaults& faults,
                    CheckWarnings& warnings, ForwardLines& lines);

} // namespace cfgtool

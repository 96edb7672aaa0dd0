#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "config/ReaderFindings.h"

struct ConfigurationFaults;

// The report of `quarvel-cfg check`: the faults, then the warnings of the
// reader and about references, as text lines or as one JSON document.
namespace cfgtool {

// The findings of the reader and the warnings about references, each in
// line order, visited as one run in line order (a linear merge: no sort over
// all of them). On the same line the reader's come first.
class CheckWarnings {
  public:
    CheckWarnings(const ReaderFindings& read, const std::vector<Finding>& references)
        : m_read(read), m_references(references)
    {
    }

    std::size_t size() const { return m_read.size() + m_references.size(); }
    void forEach(const std::function<void(const Finding&)>& visit) const { m_read.forEach(visit, m_references); }

  private:
    const ReaderFindings& m_read;
    const std::vector<Finding>& m_references;
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
                    const CheckWarnings& warnings);

// The document as jsonText writes it, with the warnings written one at a
// time, so that a file with a warning on every line needs no document of
// them all in memory. Texts are bytes of any code page: valid UTF-8 passes,
// any other byte is taken as Latin-1, so that the document is always valid
// UTF-8. A warning's source is read from lines.
void printCheckJson(std::ostream& out, const std::string& file, const ConfigurationFaults& faults,
                    const CheckWarnings& warnings, ForwardLines& lines);

} // namespace cfgtool

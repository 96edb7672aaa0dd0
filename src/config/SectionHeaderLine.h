#pragma once

#include <cstddef>
#include <string_view>

// Whether the reader takes a line (without its end) for a section header:
// after spaces and tabs, one to three '[' ("[A4]", "[[TCPIP]]",
// "[[[DICOM]]]"). The diff of two configurations aligns these first.
inline bool isSectionHeaderLine(std::string_view line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] != '[')
        return false;
    const std::size_t brackets = line.find_first_not_of('[', start);
    return (brackets == std::string_view::npos ? line.size() : brackets) - start < 4;
}

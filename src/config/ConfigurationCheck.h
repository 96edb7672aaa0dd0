#pragma once

#include <string>
#include <vector>

class Configuration;

// The faults that would keep the print server from working, in the order
// they are tested, each line ending in "\n"; firstErrorPage is the sheet
// position of the page that mends the first one (1 Printer, 2 Paper,
// 3 DICOM, 4 Additional Settings), 0 when there is none.
struct ConfigurationFaults {
    std::vector<std::string> lines;
    std::vector<int> pages; // the page of each line
    int firstErrorPage = 0;

    bool empty() const { return lines.empty(); }
};

ConfigurationFaults findConfigurationFaults(const Configuration& config);

// What keeps title from being a DICOM AE title, for the user ("AE title
// 'X' has 25 characters; DICOM allows 16"); empty when it is one. An AE
// title has at most 16 characters, no backslash, no control character and
// is not all spaces.
std::string aeTitleProblem(const std::string& title);

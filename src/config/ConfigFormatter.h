#pragma once

#include <string>

class CConfiguration;

// The complete configuration file for a record, byte for byte: CR LF line
// ends, the banner, every block and key in the fixed order, no blank line at
// the end. CR and LF inside texts are dropped so that no text can split its
// line.
std::string FormatConfiguration(const CConfiguration& config);

#pragma once

#include <string>

#include "diff/TextPieces.h"

class Configuration;

// The complete configuration file for a record, byte for byte: CR LF line
// ends, the banner, every block and key in the fixed order, no blank line at
// the end. CR and LF inside texts are dropped so that no text can split its
// line.
std::string formatConfiguration(const Configuration& config);

// The same text handed to sink in pieces of about a megabyte, so that a
// large file never has to be held in memory whole. False when sink refused a
// piece (nothing more is formatted then).
bool formatConfiguration(const Configuration& config, const TextSink& sink);

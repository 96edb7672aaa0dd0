#pragma once

#include <string>
#include <string_view>

#include "diff/StreamedDiff.h"
#include "diff/TextPieces.h"

using FileDiffOptions = StreamedDiffOptions;

enum class FileDiffOutcome { Same, Differs, Failed };

// How lines of configurations are compared: their section headers aligned
// first, and the ends of lines ignored if asked.
LineComparison configurationLines(bool ignoreEnds);

// The unified diff (3 lines of context) between the configuration file at
// path and what a save of it would write, handed to out as it is found
// (streamedDiff): the file is read for the record, and read again beside
// the saved text, formatted anew each time from the record. Lines are
// compared as configurationLines(ignoreLineEnds) says. A file that
// changes between its readings fails the diff, and what out was given by
// then is right as far as it goes. Failed with message on a file error,
// such a change, or when out refused a piece.
FileDiffOutcome diffWithSave(const std::string& path, std::string_view label, const TextSink& out, std::string& message,
                             const FileDiffOptions& options = {}, bool ignoreLineEnds = false);

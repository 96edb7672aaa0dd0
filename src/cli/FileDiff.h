#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "diff/TextPieces.h"

struct FileDiffOptions {
    std::size_t windowBytes = 0; // of each text at a time; 0: by the size of the file
    // Called before each reading of the file after the first.
    std::function<void()> beforeRereading;
};

enum class FileDiffOutcome { Same, Differs, Failed };

// The unified diff (3 lines of context) between the configuration file at
// path and what a save of it would write, handed to out as it is found.
// Neither text is held whole beside the record: the file is read for the
// record, again to align the texts and again to write the diff, and the
// saved text is formatted anew each time. Each later reading is checked
// against the first, and no line is handed out before its part of the file
// is: a file that changes fails the diff, and what out was given by then is
// right as far as it goes. Failed with message on a file error, such a
// change, or when out refused a piece.
FileDiffOutcome diffWithSave(const std::string& path, std::string_view label, const TextSink& out, std::string& message,
                             const FileDiffOptions& options = {});

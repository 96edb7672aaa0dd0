#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "config/TextPieces.h"

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
// saved text is formatted on each reading. A file that is not the same at
// each reading fails the diff: the hunks handed out so far are right, and no
// more follow. Failed with message on a file error, a change or when out
// refused a piece.
FileDiffOutcome diffWithSave(const std::string& path, std::string_view label, const TextSink& out, std::string& message,
                             const FileDiffOptions& options = {});

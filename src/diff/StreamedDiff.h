#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "diff/LineComparison.h"
#include "diff/TextPieces.h"

// The two sides of a streamed diff: a file, read through callbacks as often
// as the diff needs it, and another text, written anew by a callback each
// time it is needed. The callbacks bring the bytes: nothing here opens a
// file.
struct StreamedDiffSides {
    // The size the file has now, 0 when it cannot be told: it sizes the
    // note of the file's lines.
    std::size_t expectedBytes = 0;
    // The first reading: hands every byte of the file to take, in order;
    // false with message when the reading fails. The caller may take what
    // it needs from the same bytes (the other text may be made of them).
    std::function<bool(const std::function<void(std::string_view chunk)>& take, std::string& message)> readFirst;
    // Each later reading: pushes the file's bytes into sink, and stops when
    // sink refuses; false with message when the reading itself fails.
    std::function<bool(const TextSink& sink, std::string& message)> readAgain;
    // The other text, the same on every call, pushed into sink likewise.
    std::function<bool(const TextSink& sink, std::string& message)> writeOther;
};

struct StreamedDiffOptions {
    std::size_t windowBytes = 0; // of each text at a time; 0: by the size of the file
    // Called before each reading of the file after the first.
    std::function<void()> beforeRereading;
};

enum class StreamedDiffOutcome {
    Same,       // the texts are equal (but for line ends, if told): nothing was written
    Differs,    // the whole diff was written
    Failed,     // a reading or the writer of the other text failed (message)
    Changed,    // the file was not the same at a later reading
    Refused,    // out refused a piece
    Incomplete, // the diff could not be written to its end
};

// The unified diff (3 lines of context) from the file to the other text,
// handed to out as it is found. Neither text is held whole: the file is
// read once to take note of its bytes and lines, again to align the texts
// in windows and again to write the hunks, and the other text is written
// anew each time. Each later reading is checked against the first, and no
// line is handed out before its part of the file is: for a file that
// changes, what out was given by then is right as far as it goes.
//
// Lines are compared as comparison says; where their ends are ignored, a
// change of them is told once, by lineEndNote before the diff.
StreamedDiffOutcome streamedDiff(const StreamedDiffSides& sides, std::string_view label, const TextSink& out,
                                 std::string& message, const StreamedDiffOptions& options = {},
                                 const LineComparison& comparison = {});

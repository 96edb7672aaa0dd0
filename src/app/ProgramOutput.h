#pragma once

#include <cstdio>

class QString;

// Writes a text of the program to standard output or standard error. On
// Windows the editor is a desktop program without a console of its own: it
// writes to the console it was started from (attached for the purpose,
// UTF-16 as the console takes it), or as UTF-8 to a file or pipe it was
// given; false when it has none of them, so that the caller can show the
// text in a window instead.
bool writeProgramOutput(std::FILE* stream, const QString& text);

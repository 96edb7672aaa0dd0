#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Holds ConfigReader to the line-at-a-time reader it replaced: both read the
// same bytes from the file at path (which holds them) in chunks of
// chunkSize, noting findings, and from the text in one piece without. The
// records (every field, also those a save does not write), the findings with
// their lines and sources, the warnings about references and the saved
// bytes must agree, and the chunks handed to the caller must be the file.
// Empty when all agree; otherwise what differs first, both ways.
std::string compareReaders(const std::string& path, std::string_view bytes, std::size_t chunkSize);

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Holds ConfigReader to the line-at-a-time reader it replaced: both read the
// same bytes from the file at path (which holds them) in chunks of
// chunkSize, noting findings, and from the text in one piece without. The
// saved bytes (every field the writer writes, texts byte for byte) and the
// fields it does not, the findings with their lines and sources and the
// warnings about references must agree, and the chunks handed to the caller
// must be the file. Empty when all agree; otherwise what differs first,
// both ways.
std::string compareReaders(const std::string& path, std::string_view bytes, std::size_t chunkSize);

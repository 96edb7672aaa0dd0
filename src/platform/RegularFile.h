#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Reads a regular file in chunks of chunkSize bytes (1 when 0) and hands
// each to consume, in order. Only files on a disk are read: a pipe or a
// device may block or never end, and opening some devices has effects of
// their own; /dev/null reads as an empty file. False with the user's text of
// the cause in message when the file cannot be opened or read; the chunks
// consumed so far stay consumed.
bool readRegularFile(const std::string& path, std::string& message, std::size_t chunkSize,
                     const std::function<void(std::string_view chunk)>& consume);

#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// Receives a text piece by piece, in order; false stops the writing.
using TextSink = std::function<bool(std::string_view piece)>;

// Hands out a text piece by piece, in order, on each call; false at its end.
// A piece stays valid until the next call.
using TextSource = std::function<bool(std::string_view& piece)>;

// A source of text held in memory, in pieces of at most pieceSize bytes.
inline TextSource textSource(std::string_view text, std::size_t pieceSize = static_cast<std::size_t>(-1))
{
    return [text, pieceSize](std::string_view& piece) mutable {
        if (text.empty())
            return false;
        piece = text.substr(0, pieceSize);
        text.remove_prefix(piece.size());
        return true;
    };
}

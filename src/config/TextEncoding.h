#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Configuration files keep their texts as 8-bit bytes. Files written on
// Windows hold them in the Western code page (Windows-1252); files written
// by tools on Linux may hold UTF-8. The editor shows and takes texts in the
// file's own encoding, so that a text nobody changed goes back byte for byte.
enum class TextEncoding { Windows1252, Utf8 };

// Watches a file's bytes as they are read, chunk by chunk, and tells which
// encoding its texts are in: UTF-8 when it holds non-ASCII bytes that are
// all valid UTF-8, Windows-1252 otherwise (also for plain ASCII, the print
// server's own code page being the safer choice for texts typed later).
class EncodingDetector {
  public:
    void feed(std::string_view bytes);
    TextEncoding encoding() const;

  private:
    bool m_nonAscii = false;
    bool m_invalid = false;
    int m_pending = 0;      // continuation bytes still expected
    unsigned m_lowest = 0;  // the least the current sequence's second byte may be
    unsigned m_highest = 0; // and the most
};

// Every byte has a character: the five bytes Windows-1252 leaves undefined
// stand for the control characters of the same number, so that decoding and
// encoding again gives back every byte.
std::string windows1252ToUtf8(std::string_view bytes);

// Converts UTF-8 text (as typed) to Windows-1252. False when a character has
// no byte there; that character's UTF-8 bytes go to unrepresentable.
bool utf8ToWindows1252(std::string_view utf8, std::string& out, std::string* unrepresentable = nullptr);

// Bytes of unknown encoding as valid UTF-8: every valid UTF-8 sequence as it
// is, every other byte as the Latin-1 character of its number.
std::string utf8WithLatin1Fallback(std::string_view bytes);

#include "platform/WinConsoleBuf.h"

#include <cstring>
#include <string>

namespace {

// The length of the part of data that ends with a whole character: a lead
// byte among the last three whose character needs more bytes than follow
// it starts the part held back.
std::size_t wholeLength(const char* data, std::size_t size)
{
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(data[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t needed = byte >= 0xF8 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return needed > back ? size - back : size;
    }
    return size;
}

} // namespace

WinConsoleBuf::WinConsoleBuf(HANDLE console) : m_console(console)
{
    setp(m_buffer, m_buffer + sizeof m_buffer);
}

WinConsoleBuf::~WinConsoleBuf()
{
    writeOut(true);
}

WinConsoleBuf::int_type WinConsoleBuf::overflow(int_type c)
{
    if (!writeOut(false))
        return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

int WinConsoleBuf::sync()
{
    return writeOut(false) ? 0 : -1;
}

bool WinConsoleBuf::writeOut(bool all)
{
    const auto size = static_cast<std::size_t>(pptr() - pbase());
    const std::size_t whole = all ? size : wholeLength(pbase(), size);
    bool written = true;
    if (whole > 0) {
        // Without MB_ERR_INVALID_CHARS a byte that is no UTF-8 becomes
        // U+FFFD instead of failing the whole piece.
        const int length = static_cast<int>(whole);
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, pbase(), length, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
        written = units > 0 && ::MultiByteToWideChar(CP_UTF8, 0, pbase(), length, wide.data(), units) == units;
        for (std::size_t at = 0; written && at < wide.size();) {
            DWORD done = 0;
            written =
                ::WriteConsoleW(m_console, wide.data() + at, static_cast<DWORD>(wide.size() - at), &done, nullptr) &&
                done > 0;
            at += done;
        }
    }
    // What is held back (or, after a failure, dropped: the stream reports
    // the failure) leaves room for the next write.
    const std::size_t kept = written ? size - whole : 0;
    std::memmove(m_buffer, pbase() + whole, kept);
    setp(m_buffer, m_buffer + sizeof m_buffer);
    pbump(static_cast<int>(kept));
    return written;
}

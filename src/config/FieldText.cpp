#include "config/FieldText.h"

#include <new>
#include <ostream>

void FieldText::init(std::string_view text)
{
    if (text.size() <= kInline) {
        std::memcpy(m_bytes, text.data(), text.size());
        setInlineSize(text.size());
        return;
    }
    if (text.size() > kSizeMask)
        throw std::bad_alloc();
    char* chars = new char[text.size() + 1];
    std::memcpy(chars, text.data(), text.size());
    chars[text.size()] = '\0';
    const std::uint64_t word = (std::uint64_t{kHeap} << 56) | text.size();
    std::memcpy(m_bytes, &chars, sizeof chars);
    std::memcpy(m_bytes + 8, &word, sizeof word);
}

void FieldText::release() noexcept
{
    if (!isInline())
        delete[] heapChars();
}

void FieldText::replace(std::string_view text)
{
    // text may lie in this object: it is copied before the old text goes.
    FieldText replacement(text);
    *this = std::move(replacement);
}

std::ostream& operator<<(std::ostream& out, const FieldText& text)
{
    return out << text.view();
}

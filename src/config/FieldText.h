#pragma once

#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

// The text of a field of a list's record (a printer, paper size or header
// bitmap), of which a file may hold a million: 16 bytes where a std::string
// takes 32. A text of up to 15 bytes, which is nearly every name, AE title,
// address and queue, is kept in the object itself; a longer one in a block
// of its exact size. It is always followed by a NUL, so c_str() is free.
// Reads as a std::string_view; an edit replaces the whole text.
class FieldText {
  public:
    static constexpr std::size_t kInline = 15;

    FieldText() noexcept { setInlineSize(0); }
    FieldText(std::string_view text) { init(text); }
    FieldText(const std::string& text) { init(text); }
    FieldText(const char* text) { init(text); }
    FieldText(const FieldText& other) { init(other.view()); }
    FieldText(FieldText&& other) noexcept
    {
        std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
        other.setInlineSize(0);
    }
    ~FieldText() { release(); }

    FieldText& operator=(const FieldText& other)
    {
        if (this != &other)
            assign(other.view());
        return *this;
    }
    FieldText& operator=(FieldText&& other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(m_bytes, other.m_bytes, sizeof m_bytes);
            other.setInlineSize(0);
        }
        return *this;
    }
    FieldText& operator=(std::string_view text)
    {
        assign(text);
        return *this;
    }
    FieldText& operator=(const std::string& text) { return *this = std::string_view(text); }
    FieldText& operator=(const char* text) { return *this = std::string_view(text); }

    void assign(std::string_view text)
    {
        // A short text over a short one stays in place (memmove: text may
        // be a part of this one); else a new text replaces this one.
        if (text.size() <= kInline && isInline()) {
            std::memmove(m_bytes, text.data(), text.size());
            setInlineSize(text.size());
        } else {
            replace(text);
        }
    }
    void clear() { assign({}); }

    bool empty() const noexcept { return size() == 0; }
    std::size_t size() const noexcept { return isInline() ? kInline - tag() : heapSize(); }
    std::size_t length() const noexcept { return size(); }
    const char* data() const noexcept { return isInline() ? m_bytes : heapChars(); }
    const char* c_str() const noexcept { return data(); }
    const char* begin() const noexcept { return data(); }
    const char* end() const noexcept { return data() + size(); }
    char operator[](std::size_t at) const noexcept { return data()[at]; }
    char front() const noexcept { return data()[0]; }
    char back() const noexcept { return data()[size() - 1]; }

    std::string_view view() const noexcept { return {data(), size()}; }
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }
    operator std::string() const { return str(); }

    // Whether the text is kept in the object itself.
    bool isInline() const noexcept { return tag() <= kInline; }

    friend bool operator==(const FieldText& a, const FieldText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const FieldText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const FieldText& a, const std::string& b) noexcept { return a.view() == b; }
    friend bool operator==(const FieldText& a, const char* b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const FieldText& a, const FieldText& b) noexcept
    {
        return a.view() <=> b.view();
    }
    friend std::strong_ordering operator<=>(const FieldText& a, std::string_view b) noexcept { return a.view() <=> b; }

    friend std::string operator+(const std::string& a, const FieldText& b) { return a + std::string(b.view()); }
    friend std::string operator+(const FieldText& a, const std::string& b) { return std::string(a.view()) + b; }
    friend std::string operator+(const char* a, const FieldText& b) { return a + std::string(b.view()); }
    friend std::string operator+(const FieldText& a, const char* b) { return std::string(a.view()) + b; }

  private:
    // Inline: the chars, then in the last byte kInline less their number,
    // which is the NUL after a text of kInline bytes. On the heap: the
    // block's address, then its size in the next seven bytes, and kHeap in
    // the last.
    static constexpr std::uint8_t kHeap = 0x80;
    static constexpr std::uint64_t kSizeMask = (std::uint64_t{1} << 56) - 1;

    void init(std::string_view text);
    void replace(std::string_view text);
    void release() noexcept;
    std::uint8_t tag() const noexcept { return static_cast<std::uint8_t>(m_bytes[kInline]); }
    void setInlineSize(std::size_t size) noexcept
    {
        m_bytes[kInline] = static_cast<char>(kInline - size);
        m_bytes[size] = '\0';
    }
    const char* heapChars() const noexcept
    {
        const char* chars;
        std::memcpy(&chars, m_bytes, sizeof chars);
        return chars;
    }
    std::size_t heapSize() const noexcept
    {
        std::uint64_t word;
        std::memcpy(&word, m_bytes + 8, sizeof word);
        return static_cast<std::size_t>(word & kSizeMask);
    }

    char m_bytes[kInline + 1];
};

static_assert(sizeof(FieldText) == 16);
static_assert(std::endian::native == std::endian::little,
              "the size of a text on the heap shares its word with the tag");

std::ostream& operator<<(std::ostream& out, const FieldText& text);

#include "dicom/ResponseGuard.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dctag.h"
#include "dcmtk/dcmdata/dcvr.h"

namespace {

constexpr unsigned char kPDataPdu = 0x04;
constexpr std::size_t kPduHeader = 6;
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFF;
constexpr const char* kLimitText = "the 64 MiB a response may hold";
static_assert(kMaxResponseBytes == 64u << 20, "kLimitText names the bound");

std::uint32_t bigEndian32(const unsigned char* p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t littleEndian16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t littleEndian32(const unsigned char* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

std::string tagText(std::uint16_t group, std::uint16_t element)
{
    char text[16];
    std::snprintf(text, sizeof text, "(%04X,%04X)", group, element);
    return text;
}

// Walks a command or data set the way DCMTK will read it, checking each
// declared length before DCMTK sees it.
class LengthCheck {
  public:
    LengthCheck(const unsigned char* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}

    std::string run(bool explicitVR)
    {
        std::size_t pos = 0;
        elements(pos, m_size, false, explicitVR, 0);
        return m_problem;
    }

  private:
    bool fail(std::string problem)
    {
        m_problem = "the server's response " + std::move(problem);
        return false;
    }
    bool truncated() { return fail("ends inside an element"); }
    bool tooDeep() { return fail("nests sequences deeper than " + std::to_string(kMaxResponseNesting) + " levels"); }
    bool tooLong(std::uint16_t group, std::uint16_t element, std::uint32_t length, std::size_t left)
    {
        const std::string what = "declares " + std::string(group == 0xFFFE ? "an item " : "an element ") +
                                 tagText(group, element) + " of " + std::to_string(length) + " bytes";
        if (length > kMaxResponseBytes)
            return fail(what + ", more than " + kLimitText);
        return fail(what + " where only " + std::to_string(left) + " follow");
    }

    // An item tag at the start of a value: DCMTK may know the element as a
    // sequence from a private dictionary the plain tag does not reach.
    bool startsWithItem(std::size_t pos, std::uint32_t length) const
    {
        return length >= 8 && littleEndian16(m_bytes + pos) == 0xFFFE && littleEndian16(m_bytes + pos + 2) == 0xE000;
    }

    // The elements in [pos, end), or up to the item delimitation item.
    bool elements(std::size_t& pos, std::size_t end, bool delimited, bool explicitVR, int depth)
    {
        if (depth > kMaxResponseNesting)
            return tooDeep();
        while (pos < end) {
            if (end - pos < 8)
                return truncated();
            const std::uint16_t group = littleEndian16(m_bytes + pos);
            const std::uint16_t element = littleEndian16(m_bytes + pos + 2);
            if (group == 0xFFFE) {
                if (delimited && element == 0xE00D) {
                    pos += 8;
                    return true;
                }
                return fail("has an item tag " + tagText(group, element) + " where an element belongs");
            }
            std::uint32_t length = 0;
            DcmEVR vr = EVR_UNKNOWN;
            if (explicitVR) {
                // As DCMTK reads it: an unknown VR with the long length field.
                const char name[3] = {static_cast<char>(m_bytes[pos + 4]), static_cast<char>(m_bytes[pos + 5]), 0};
                const DcmVR explicitType(name);
                vr = explicitType.getEVR();
                if (explicitType.usesExtendedLengthEncoding()) {
                    if (end - pos < 12)
                        return truncated();
                    length = littleEndian32(m_bytes + pos + 8);
                    pos += 12;
                } else {
                    length = littleEndian16(m_bytes + pos + 6);
                    pos += 8;
                }
            } else {
                vr = DcmTag(group, element).getEVR();
                length = littleEndian32(m_bytes + pos + 4);
                pos += 8;
            }
            const bool pixelData = group == 0x7FE0 && element == 0x0010;
            if (length == kUndefinedLength) {
                // A sequence, or encapsulated pixel data whose items are
                // fragments; an unknown VR (UN) of undefined length holds a
                // sequence in implicit VR.
                const bool fragments = vr == EVR_OB || vr == EVR_OW || vr == EVR_ox || (pixelData && vr != EVR_SQ);
                if (!items(pos, end, true, fragments, explicitVR && vr != EVR_UN, depth + 1))
                    return false;
                continue;
            }
            if (length > end - pos)
                return tooLong(group, element, length, end - pos);
            if (vr == EVR_SQ || (!explicitVR && !pixelData && startsWithItem(pos, length))) {
                std::size_t inner = pos;
                if (!items(inner, pos + length, false, false, explicitVR, depth + 1))
                    return false;
            }
            pos += length;
        }
        return delimited ? truncated() : true;
    }

    // The items of a sequence in [pos, end), or up to its delimitation item.
    bool items(std::size_t& pos, std::size_t end, bool delimited, bool fragments, bool explicitVR, int depth)
    {
        if (depth > kMaxResponseNesting)
            return tooDeep();
        while (pos < end) {
            if (end - pos < 8)
                return truncated();
            const std::uint16_t group = littleEndian16(m_bytes + pos);
            const std::uint16_t element = littleEndian16(m_bytes + pos + 2);
            const std::uint32_t length = littleEndian32(m_bytes + pos + 4);
            pos += 8;
            if (group == 0xFFFE && element == 0xE0DD)
                return true;
            if (group != 0xFFFE || element != 0xE000)
                return fail("has an element " + tagText(group, element) + " where an item belongs");
            if (length == kUndefinedLength) {
                if (fragments)
                    return fail("has a pixel data fragment of undefined length");
                if (!elements(pos, end, true, explicitVR, depth + 1))
                    return false;
                continue;
            }
            if (length > end - pos)
                return tooLong(group, element, length, end - pos);
            if (!fragments) {
                std::size_t inner = pos;
                if (!elements(inner, pos + length, false, explicitVR, depth + 1))
                    return false;
            }
            pos += length;
        }
        return delimited ? truncated() : true;
    }

    const unsigned char* m_bytes;
    std::size_t m_size;
    std::string m_problem;
};

} // namespace

std::string checkElementLengths(const unsigned char* bytes, std::size_t size, bool explicitVR)
{
    return LengthCheck(bytes, size).run(explicitVR);
}

bool ResponseGuard::refuse(std::string reason)
{
    m_refusal = std::move(reason);
    m_pending.clear();
    m_pduStart = 0;
    m_command = {};
    m_data = {};
    return false;
}

bool ResponseGuard::take(const unsigned char* bytes, std::size_t size)
{
    if (refused())
        return false;
    m_pending.insert(m_pending.end(), bytes, bytes + size);
    return process();
}

bool ResponseGuard::process()
{
    while (!refused() && ready() == 0) {
        if (m_pending.size() - m_pduStart < kPduHeader)
            return true;
        const unsigned char* head = m_pending.data() + m_pduStart;
        const std::uint32_t length = bigEndian32(head + 2);
        if (length > kMaxResponseBytes)
            return refuse("the server sent a PDU of " + std::to_string(length) + " bytes, more than " + kLimitText);
        // The unfinished messages' PDUs and this one, all held at once.
        if (head[0] == kPDataPdu && m_pduStart + kPduHeader + length > kMaxResponseBytes)
            return refuse(std::string("the server's response is larger than ") + kLimitText);
        const std::size_t end = m_pduStart + kPduHeader + length;
        if (m_pending.size() < end)
            return true;
        if (!completePdu(head[0], end))
            return false;
    }
    return !refused();
}

bool ResponseGuard::completePdu(unsigned char type, std::size_t end)
{
    if (type != kPDataPdu) {
        // The association's answer, a release or an abort: it goes on at
        // once, and any unfinished message with the PDUs held for it goes.
        release(m_pduStart, end);
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(end));
        m_pduStart = 0;
        m_command = {};
        m_data = {};
        return true;
    }
    if (!takeFragments(m_pduStart + kPduHeader, end))
        return false;
    m_pduStart = end;
    if (!m_command.open && !m_data.open) {
        release(0, end);
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(end));
        m_pduStart = 0;
    }
    return true;
}

bool ResponseGuard::takeFragments(std::size_t from, std::size_t end)
{
    while (from < end) {
        const unsigned char* item = m_pending.data() + from;
        const std::uint32_t itemLength = end - from < 6 ? 0 : bigEndian32(item);
        if (itemLength < 2 || itemLength > end - from - 4)
            return refuse("the server sent a malformed P-DATA PDU");
        const unsigned char control = item[5];
        const bool command = (control & 1) != 0;
        Message& message = command ? m_command : m_data;
        if (!message.open) {
            message.bytes.clear();
            message.context = item[4];
            message.open = true;
        }
        message.bytes.insert(message.bytes.end(), item + 6, item + 4 + itemLength);
        if (control & 2) {
            if (!checkMessage(message, command))
                return false;
            message = {};
        }
        from += 4 + itemLength;
    }
    return true;
}

bool ResponseGuard::checkMessage(const Message& message, bool command)
{
    // A command is always in implicit VR little endian.
    bool explicitVR = false;
    if (!command) {
        const auto context = m_contexts.find(message.context);
        if (context == m_contexts.end())
            return refuse("the server sent a data set on presentation context " + std::to_string(message.context) +
                          ", which the association does not have");
        explicitVR = context->second;
    }
    std::string problem = checkElementLengths(message.bytes.data(), message.bytes.size(), explicitVR);
    if (!problem.empty())
        return refuse(std::move(problem));
    return true;
}

void ResponseGuard::release(std::size_t from, std::size_t end)
{
    m_ready.insert(m_ready.end(), m_pending.begin() + static_cast<std::ptrdiff_t>(from),
                   m_pending.begin() + static_cast<std::ptrdiff_t>(end));
}

std::size_t ResponseGuard::give(void* to, std::size_t size)
{
    const std::size_t count = std::min(size, ready());
    std::memcpy(to, m_ready.data() + m_readyFrom, count);
    m_readyFrom += count;
    if (m_readyFrom == m_ready.size()) {
        m_ready.clear();
        m_readyFrom = 0;
    }
    return count;
}

#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The most one response of the server may hold: a PDU, a command or a data
// set (with the PDUs that carry it), and so any element in it. A print
// server's responses are a few kilobytes; the bound only keeps a hostile or
// broken server from making the program reserve what it never sends.
inline constexpr std::uint32_t kMaxResponseBytes = 64u << 20;

// How deep sequences may nest in a response (DCMTK reads them recursively).
inline constexpr int kMaxResponseNesting = 32;

// Reads what the server sends before DCMTK does. DCMTK reserves the whole
// length an element declares as soon as it reads the element's header, and
// reads a DIMSE message fragment by fragment as it comes; so a server that
// declares an element of 4 GB makes it reserve 4 GB before anything fails.
// The guard frames the byte stream into PDUs and the P-DATA PDUs into the
// fragments of each command and data set, holds them back until the message
// is complete, and checks it whole: its size, and every element length
// against the bytes that are really there (a command in implicit VR, a data
// set in its presentation context's transfer syntax). Only then does DCMTK
// get the PDUs. Other PDUs (the association's answer, release, abort) go on
// as they come, within the same bound; an abort or release in the middle of
// a message drops the unfinished message, which can no longer be completed.
class ResponseGuard {
  public:
    // contexts: presentation context ID -> explicit VR little endian (true)
    // or implicit VR little endian (false); a data set on a context not
    // there is refused. Kept by reference: the association fills it in.
    explicit ResponseGuard(const std::map<unsigned char, bool>& contexts) : m_contexts(contexts) {}

    // Takes bytes as they come from the connection and works through them
    // (process()). False, with the reason in refusal(), once they break a
    // bound; nothing more is taken then.
    bool take(const unsigned char* bytes, std::size_t size);
    // Works through the bytes held, only as far as the next PDU that can be
    // handed over: a data set is checked in the transfer syntax its context
    // has by the time DCMTK reads that far, not when its bytes came.
    bool process();

    // How many bytes are ready for DCMTK, and hands up to size of them over.
    std::size_t ready() const { return m_ready.size() - m_readyFrom; }
    std::size_t give(void* to, std::size_t size);

    bool refused() const { return !m_refusal.empty(); }
    const std::string& refusal() const { return m_refusal; }

  private:
    // One command or data set, gathered from its fragments.
    struct Message {
        std::vector<unsigned char> bytes;
        unsigned char context = 0;
        bool open = false;
    };

    bool refuse(std::string reason);
    // The PDU that starts at m_pduStart is whole: passes it on or holds it.
    bool completePdu(unsigned char type, std::size_t end);
    bool takeFragments(std::size_t from, std::size_t end);
    bool checkMessage(const Message& message, bool command);
    void release(std::size_t from, std::size_t end);

    const std::map<unsigned char, bool>& m_contexts;
    // Held P-DATA PDUs of unfinished messages, then the PDU coming in (from m_pduStart).
    std::vector<unsigned char> m_pending;
    std::size_t m_pduStart = 0;
    Message m_command, m_data;
    std::vector<unsigned char> m_ready;
    std::size_t m_readyFrom = 0;
    std::string m_refusal;
};

// Checks the elements of a whole command or data set in little endian,
// explicit or implicit VR: every length an element, item or sequence declares
// fits in the bytes that follow it. Empty when sound, else the reason.
std::string checkElementLengths(const unsigned char* bytes, std::size_t size, bool explicitVR);

// The line printer daemon protocol, the same on every system; the socket
// calls are LpdSystem's.
#include "diagnostics/LpdClient.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "diagnostics/BoundedCall.h"
#include "diagnostics/LpdSystem.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxNameLength = 31;
#ifdef _WIN32
constexpr const char* kPathSeparators = "\\/";
#else
constexpr const char* kPathSeparators = "/";
#endif

// Control characters would end or split a protocol line.
bool hasControlCharacter(const std::string& text)
{
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Keeps the bytes that may stand in a control file line: no control
// characters, and no blanks where the text is part of a spool file name.
std::string printable(const std::string& text, std::size_t maxLength, bool blanks)
{
    std::string kept;
    for (unsigned char c : text)
        if (c > 0x20 ? c != 0x7F : (blanks && c == 0x20))
            kept += static_cast<char>(c);
    if (kept.size() > maxLength)
        kept.resize(maxLength);
    return kept;
}

// The command codes of RFC 1179 used here: the job request, and within a job
// the control file and the data file.
constexpr char kReceiveJob = '\x02';
constexpr char kReceiveControlFile = '\x02';
constexpr char kReceiveDataFile = '\x03';

// A command line: its code, its operands, a line feed.
std::string protocolLine(char code, const std::string& operands)
{
    std::string line(1, code);
    line.append(operands);
    line.push_back('\n');
    return line;
}

std::string threeDigits(int number)
{
    const std::string digits = std::to_string(((number % 1000) + 1000) % 1000);
    return std::string(3 - digits.size(), '0') + digits;
}

std::string milliseconds(std::chrono::milliseconds timeout)
{
    return std::to_string(timeout.count()) + " ms";
}

// One connection to the printer. Every step reports its failure in
// m_outcome and returns false; the socket is closed on every path.
class LpdConnection {
  public:
    LpdConnection(const LpdSettings& settings, Clock::time_point jobDeadline)
        : m_settings(settings), m_jobDeadline(jobDeadline)
    {
    }
    ~LpdConnection()
    {
        if (m_socket != LpdSystem::kNoSocket)
            LpdSystem::close(m_socket);
    }
    LpdConnection(const LpdConnection&) = delete;
    LpdConnection& operator=(const LpdConnection&) = delete;

    bool connect(const SocketAddress& address);
    // Sends bytes, then waits for the printer's one-byte answer; a non-zero
    // answer is a refusal with the given status.
    bool exchange(const std::string& bytes, const std::string& what, LpdStatus refusal = LpdStatus::TransferBroken)
    {
        return nothingUnasked(what) && send(bytes, what) && acknowledged(what, refusal);
    }
    // Before the printer has accepted the queue, an ended connection counts
    // as the queue's refusal.
    void queueAccepted() { m_queueAccepted = true; }

    const LpdOutcome& outcome() const { return m_outcome; }

  private:
    bool send(const std::string& bytes, const std::string& what);
    bool acknowledged(const std::string& what, LpdStatus refusal);
    bool nothingUnasked(const std::string& what);
    bool fail(LpdStatus status, std::string detail)
    {
        m_outcome = {status, std::move(detail)};
        return false;
    }
    // Waits until the socket is writable (or readable), at most the step's
    // time-out and never past the job's deadline; false on time-out. A
    // failed wait counts as ready, so that the next call reports its error.
    bool waitFor(bool writable);
    // The failure of a wait that ran out: the job's deadline when that has
    // passed, otherwise the step's own text.
    bool timedOut(const std::string& step);
    bool protocolFault(const std::string& what)
    {
        return fail(brokenStatus(), "protocol fault: the printer answered " + what + " with more than one byte");
    }
    LpdStatus brokenStatus() const { return m_queueAccepted ? LpdStatus::TransferBroken : LpdStatus::QueueRefused; }

    const LpdSettings& m_settings;
    Clock::time_point m_jobDeadline;
    LpdSystem::Socket m_socket = LpdSystem::kNoSocket;
    bool m_queueAccepted = false;
    LpdOutcome m_outcome;
};

bool LpdConnection::waitFor(bool writable)
{
    const Clock::time_point deadline = std::min(Clock::now() + m_settings.timeout, m_jobDeadline);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        if (LpdSystem::wait(m_socket, writable, static_cast<int>(left.count()) + 1))
            return true;
    }
}

bool LpdConnection::timedOut(const std::string& step)
{
    if (Clock::now() >= m_jobDeadline)
        return fail(LpdStatus::TimedOut,
                    "the job did not end within " + milliseconds(m_settings.jobTimeout) + " (" + step + ")");
    return fail(LpdStatus::TimedOut, step + " within " + milliseconds(m_settings.timeout));
}

bool LpdConnection::connect(const SocketAddress& address)
{
    m_socket = LpdSystem::open(address.storage.ss_family);
    if (m_socket == LpdSystem::kNoSocket)
        return fail(LpdStatus::NoConnection, "no socket: " + LpdSystem::errorText(LpdSystem::lastError()));
    SocketAddress to = address;
    if (to.storage.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6*>(&to.storage)->sin6_port = htons(m_settings.port);
    else
        reinterpret_cast<sockaddr_in*>(&to.storage)->sin_port = htons(m_settings.port);
    const std::string port = "port " + std::to_string(m_settings.port);
    bool pending = false;
    int error = LpdSystem::startConnect(m_socket, to, pending);
    if (pending) {
        if (!waitFor(true))
            return timedOut("no connection to " + port);
        error = LpdSystem::connectResult(m_socket);
    }
    if (error == 0)
        return true;
    if (LpdSystem::kind(error) == LpdSystem::Error::Refused)
        return fail(LpdStatus::ConnectionRefused, "connection refused on " + port);
    if (LpdSystem::kind(error) == LpdSystem::Error::TimedOut)
        return fail(LpdStatus::TimedOut, "no connection to " + port + ": " + LpdSystem::errorText(error));
    return fail(LpdStatus::NoConnection, "no connection to " + port + ": " + LpdSystem::errorText(error));
}

bool LpdConnection::send(const std::string& bytes, const std::string& what)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const std::ptrdiff_t n = LpdSystem::send(m_socket, bytes.data() + sent, bytes.size() - sent);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        const int error = LpdSystem::lastError();
        if (LpdSystem::kind(error) == LpdSystem::Error::Interrupted)
            continue;
        if (LpdSystem::kind(error) == LpdSystem::Error::WouldBlock) {
            // The printer takes no more bytes for now. A printer that still
            // reads, however slowly, frees no room for a whole step's time
            // only when it has taken nothing; the job's deadline bounds it.
            const int queuedBefore = LpdSystem::unsentBytes(m_socket);
            while (!waitFor(true)) {
                const int queued = LpdSystem::unsentBytes(m_socket);
                if (Clock::now() < m_jobDeadline && queued >= 0 && queuedBefore >= 0 && queued < queuedBefore)
                    continue;
                if (Clock::now() >= m_jobDeadline)
                    return timedOut("the printer was still taking " + what + ": " + std::to_string(sent) + " of " +
                                    std::to_string(bytes.size()) + " bytes handed on");
                return timedOut("the printer took nothing more of " + what);
            }
            continue;
        }
        return fail(brokenStatus(), "connection broken while sending " + what + ": " + LpdSystem::errorText(error));
    }
    return true;
}

// A printer speaks only when asked: bytes waiting before a step are no
// answer to it.
bool LpdConnection::nothingUnasked(const std::string& what)
{
    unsigned char stray = 0;
    const std::ptrdiff_t n = LpdSystem::receive(m_socket, &stray, 1, true);
    if (n > 0)
        return fail(brokenStatus(), "protocol fault: the printer sent bytes before " + what);
    return true;
}

bool LpdConnection::acknowledged(const std::string& what, LpdStatus refusal)
{
    if (!waitFor(false))
        return timedOut("no answer to " + what);
    // Exactly one byte answers a step; a second one already there means the
    // printer does not speak the protocol (or sends zero bytes without end).
    unsigned char answer[2] = {};
    std::ptrdiff_t n;
    int error = 0;
    while ((n = LpdSystem::receive(m_socket, answer, sizeof answer, false)) < 0 &&
           LpdSystem::kind(error = LpdSystem::lastError()) == LpdSystem::Error::Interrupted) {
    }
    if (n == 0)
        return fail(brokenStatus(), "the printer closed the connection before it answered " + what);
    if (n < 0)
        return fail(brokenStatus(),
                    "connection broken while waiting for the answer to " + what + ": " + LpdSystem::errorText(error));
    if (n > 1)
        return protocolFault(what);
    if (answer[0] != 0)
        return fail(refusal, what + " refused (answer " + std::to_string(answer[0]) + ")");
    return true;
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad())
        return false;
    bytes = content.str();
    return true;
}

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of(kPathSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

LpdSender LpdSender::thisProcess()
{
    static int nextJob = LpdSystem::processId();
    LpdSender sender;
    sender.host = printable(LpdSystem::hostName(), kMaxNameLength, false);
    if (sender.host.empty())
        sender.host = "localhost";
    sender.user = printable(LpdSystem::userName(), kMaxNameLength, false);
    if (sender.user.empty())
        sender.user = LpdSystem::unnamedUser();

    sender.jobNumber = nextJob++ % 1000;
    return sender;
}

std::string lpdControlFile(const LpdSender& sender, const std::string& fileName)
{
    const std::string dataFile = "dfA" + threeDigits(sender.jobNumber) + sender.host;
    const std::string name = printable(fileName, 99, true);
    return "H" + sender.host + "\n" + //
           "P" + sender.user + "\n" + //
           "J" + name + "\n" +        //
           "l" + dataFile + "\n" +    // print the file as it is, control characters included
           "U" + dataFile + "\n" +    // and remove it from the spool afterwards
           "N" + name + "\n";
}

LpdOutcome sendLpdJob(const std::string& printer, const std::string& queue, const std::string& path,
                      const LpdSender& sender, const LpdSettings& settings)
{
    if (hasControlCharacter(queue))
        return {LpdStatus::QueueRefused, "the queue name holds a control character and cannot be sent"};
    std::string data;
    if (!readFile(path, data))
        return {LpdStatus::FileUnreadable, "the file " + path + " cannot be read"};

    const Clock::time_point jobDeadline = Clock::now() + settings.jobTimeout;
    SocketAddress address;
    if (!parseNumericAddress(printer, address)) {
        // A name server that does not answer costs the step's time-out, not
        // its own.
        struct Found {
            bool found;
            in_addr address;
        };
        const auto lookUp = settings.lookUp;
        const std::optional<Found> found = callWithin<Found>(
            [lookUp, printer] {
                Found answer{false, {}};
                answer.found = lookUp(printer, answer.address);
                return answer;
            },
            std::min(settings.timeout, settings.jobTimeout));
        if (!found)
            return {LpdStatus::TimedOut, "no answer from the name look-up within " + milliseconds(settings.timeout)};
        if (!found->found)
            return {LpdStatus::NoConnection, "the address cannot be resolved"};
        sockaddr_in ipv4{};
        ipv4.sin_family = AF_INET;
        ipv4.sin_addr = found->address;
        std::memcpy(&address.storage, &ipv4, sizeof ipv4);
        address.length = sizeof ipv4;
    }

    LpdConnection connection(settings, jobDeadline);
    const std::string job = threeDigits(sender.jobNumber) + sender.host;
    const std::string control = lpdControlFile(sender, baseName(path));
    const std::string queueRequest = "the job request for queue '" + queue + "'";
    if (!connection.connect(address) ||
        !connection.exchange(protocolLine(kReceiveJob, queue), queueRequest, LpdStatus::QueueRefused))
        return connection.outcome();
    connection.queueAccepted();
    if (!connection.exchange(protocolLine(kReceiveControlFile, std::to_string(control.size()) + " cfA" + job),
                             "the control file command") ||
        !connection.exchange(control + '\0', "the control file") ||
        !connection.exchange(protocolLine(kReceiveDataFile, std::to_string(data.size()) + " dfA" + job),
                             "the data file command") ||
        !connection.exchange(data + '\0', "the data file"))
        return connection.outcome();
    return {LpdStatus::Sent, "sent " + std::to_string(data.size()) + " bytes"};
}

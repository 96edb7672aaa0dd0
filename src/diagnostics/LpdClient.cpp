#include "diagnostics/LpdClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <pwd.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxNameLength = 31;

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

std::string systemError(int error)
{
    return std::strerror(error);
}

// One connection to the printer. Every step reports its failure in
// m_outcome and returns false; the socket is closed on every path.
class LpdConnection {
  public:
    explicit LpdConnection(const LpdSettings& settings) : m_settings(settings) {}
    ~LpdConnection()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    LpdConnection(const LpdConnection&) = delete;
    LpdConnection& operator=(const LpdConnection&) = delete;

    bool connect(const in_addr& address);
    // Sends bytes, then waits for the printer's one-byte answer; a non-zero
    // answer is a refusal with the given status.
    bool exchange(const std::string& bytes, const std::string& what, LpdStatus refusal = LpdStatus::TransferBroken)
    {
        return send(bytes, what) && acknowledged(what, refusal);
    }
    // Before the printer has accepted the queue, an ended connection counts
    // as the queue's refusal.
    void queueAccepted() { m_queueAccepted = true; }

    const LpdOutcome& outcome() const { return m_outcome; }

  private:
    bool send(const std::string& bytes, const std::string& what);
    bool acknowledged(const std::string& what, LpdStatus refusal);
    bool fail(LpdStatus status, std::string detail)
    {
        m_outcome = {status, std::move(detail)};
        return false;
    }
    // Waits until the socket is ready for events or the deadline passes;
    // false on time-out. Other poll errors count as ready, so that the
    // next call reports them.
    bool waitFor(short events, Clock::time_point deadline);
    LpdStatus brokenStatus() const { return m_queueAccepted ? LpdStatus::TransferBroken : LpdStatus::QueueRefused; }

    const LpdSettings& m_settings;
    int m_socket = -1;
    bool m_queueAccepted = false;
    LpdOutcome m_outcome;
};

bool LpdConnection::waitFor(short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{m_socket, events, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()) + 1);
        if (ready > 0 || (ready < 0 && errno != EINTR))
            return true;
    }
}

bool LpdConnection::connect(const in_addr& address)
{
    m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_socket < 0)
        return fail(LpdStatus::NoConnection, "no socket: " + systemError(errno));
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(m_settings.port);
    to.sin_addr = address;
    const std::string port = "port " + std::to_string(m_settings.port);
    int error = 0;
    if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        error = errno;
        if (error == EINPROGRESS || error == EINTR) {
            if (!waitFor(POLLOUT, Clock::now() + m_settings.timeout))
                return fail(LpdStatus::TimedOut,
                            "no connection to " + port + " within " + milliseconds(m_settings.timeout));
            socklen_t length = sizeof error;
            if (::getsockopt(m_socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error == 0)
        return true;
    if (error == ECONNREFUSED)
        return fail(LpdStatus::ConnectionRefused, "connection refused on " + port);
    if (error == ETIMEDOUT)
        return fail(LpdStatus::TimedOut, "no connection to " + port + ": " + systemError(error));
    return fail(LpdStatus::NoConnection, "no connection to " + port + ": " + systemError(error));
}

bool LpdConnection::send(const std::string& bytes, const std::string& what)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(m_socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // The printer takes no more bytes: bounded like every wait.
            if (!waitFor(POLLOUT, Clock::now() + m_settings.timeout))
                return fail(LpdStatus::TimedOut,
                            "the printer took nothing more of " + what + " within " + milliseconds(m_settings.timeout));
            continue;
        }
        return fail(brokenStatus(), "connection broken while sending " + what + ": " + systemError(errno));
    }
    return true;
}

bool LpdConnection::acknowledged(const std::string& what, LpdStatus refusal)
{
    if (!waitFor(POLLIN, Clock::now() + m_settings.timeout))
        return fail(LpdStatus::TimedOut, "no answer to " + what + " within " + milliseconds(m_settings.timeout));
    unsigned char answer = 0;
    ssize_t n;
    while ((n = ::recv(m_socket, &answer, 1, 0)) < 0 && errno == EINTR) {
    }
    if (n == 0)
        return fail(brokenStatus(), "the printer closed the connection before it answered " + what);
    if (n < 0)
        return fail(brokenStatus(),
                    "connection broken while waiting for the answer to " + what + ": " + systemError(errno));
    if (answer != 0)
        return fail(refusal, what + " refused (answer " + std::to_string(answer) + ")");
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
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

LpdSender LpdSender::thisProcess()
{
    static int nextJob = ::getpid();
    LpdSender sender;
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0)
        sender.host = printable(host, kMaxNameLength, false);
    if (sender.host.empty())
        sender.host = "localhost";

    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        sender.user = printable(found->pw_name, kMaxNameLength, false);
    if (sender.user.empty())
        sender.user = std::to_string(::geteuid());

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

    in_addr address{};
    if (::inet_aton(printer.c_str(), &address) == 0 && !settings.lookUp(printer, address))
        return {LpdStatus::NoConnection, "the address cannot be resolved"};

    LpdConnection connection(settings);
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

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/tcp.h>
#include <sstream>
#include <thread>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "diagnostics/LpdClient.h"
#include "diagnostics/LpdSystem.h"

namespace {

using namespace std::chrono_literals;

const LpdSender kSender{"station7", "operator", 42};

std::string testPage()
{
    return readBytes(QUARVEL_TESTPAGE);
}

LpdSettings onPort(std::uint16_t port, std::chrono::milliseconds timeout = 2000ms)
{
    LpdSettings settings;
    settings.port = port;
    settings.timeout = timeout;
    return settings;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST(LpdClient, DeliversTheQueueTheControlFileAndTheUnchangedPage)
{
    FakeLpdServer server(FakeLpdServer::Behaviour::Accept);
    ASSERT_TRUE(server.listening());
    const LpdOutcome outcome = sendLpdJob("127.0.0.1", "PASSTHRU", QUARVEL_TESTPAGE, kSender, onPort(server.port()));
    EXPECT_EQ(outcome.status, LpdStatus::Sent) << outcome.detail;
    EXPECT_EQ(outcome.detail, "sent " + std::to_string(testPage().size()) + " bytes");

    const FakeLpdServer::Received& got = server.wait();
    EXPECT_EQ(got.queue, "PASSTHRU");
    const std::string control = lpdControlFile(kSender, "testpage.ps");
    EXPECT_EQ(got.commands, (std::vector<std::string>{"\x02" + std::to_string(control.size()) + " cfA042station7",
                                                      "\x03" + std::to_string(testPage().size()) + " dfA042station7"}));
    EXPECT_EQ(got.controlFile, control);
    EXPECT_EQ(got.dataFile, testPage());
    EXPECT_TRUE(got.filesEndedWithZero);
}

TEST(LpdClient, ControlFileNamesHostUserJobAndPrintsTheFileUnchanged)
{
    EXPECT_EQ(lines(lpdControlFile(kSender, "testpage.ps")),
              (std::vector<std::string>{"Hstation7", "Poperator", "Jtestpage.ps", "ldfA042station7", "UdfA042station7",
                                        "Ntestpage.ps"}));
    // Job numbers have three digits; names that would break a line are cut.
    EXPECT_EQ(lines(lpdControlFile({"h", "u", 7}, "a\nb c.ps"))[3], "ldfA007h");
    EXPECT_EQ(lines(lpdControlFile({"h", "u", 7}, "a\nb c.ps"))[5], "Nab c.ps");

    const LpdSender own = LpdSender::thisProcess();
    EXPECT_FALSE(own.host.empty());
    EXPECT_LE(own.host.size(), 31u);
    EXPECT_FALSE(own.user.empty());
    EXPECT_NE(LpdSender::thisProcess().jobNumber, own.jobNumber); // each job its own spool names
}

TEST(LpdClient, EachFailureKindHasItsOwnStatus)
{
    {
        const LpdOutcome outcome =
            sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(unusedLoopbackPort()));
        EXPECT_EQ(outcome.status, LpdStatus::ConnectionRefused);
        EXPECT_NE(outcome.detail.find("connection refused on port"), std::string::npos);
    }
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::RefuseQueue);
        const LpdOutcome outcome =
            sendLpdJob("127.0.0.1", "nosuchqueue", QUARVEL_TESTPAGE, kSender, onPort(server.port()));
        EXPECT_EQ(outcome.status, LpdStatus::QueueRefused);
        EXPECT_EQ(outcome.detail, "the job request for queue 'nosuchqueue' refused (answer 1)");
        EXPECT_EQ(server.wait().queue, "nosuchqueue");
    }
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::CloseAtQueue);
        EXPECT_EQ(sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(server.port())).status,
                  LpdStatus::QueueRefused);
    }
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::CloseAtControlFile);
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(server.port()));
        EXPECT_EQ(outcome.status, LpdStatus::TransferBroken);
        EXPECT_EQ(outcome.detail, "the printer closed the connection before it answered the control file command");
    }
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::CloseInData);
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(server.port()));
        EXPECT_EQ(outcome.status, LpdStatus::TransferBroken) << outcome.detail;
        EXPECT_EQ(server.wait().controlFile, lpdControlFile(kSender, "testpage.ps"));
    }
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::RefuseDataFile);
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(server.port()));
        EXPECT_EQ(outcome.status, LpdStatus::TransferBroken);
        EXPECT_EQ(outcome.detail, "the data file refused (answer 1)");
    }
}

TEST(LpdClient, APrinterThatDoesNotAnswerCostsOnlyTheTimeOut)
{
    {
        FakeLpdServer server(FakeLpdServer::Behaviour::Hang);
        const auto start = std::chrono::steady_clock::now();
        const LpdOutcome outcome =
            sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(server.port(), 300ms));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome.status, LpdStatus::TimedOut);
        EXPECT_EQ(outcome.detail, "no answer to the job request for queue 'q' within 300 ms");
        EXPECT_GE(took, 300ms);
        EXPECT_LT(took, 3s);
    }
    {
        // Nobody takes the connection: the connection attempt is bounded too.
        FullListener full;
        const auto start = std::chrono::steady_clock::now();
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", QUARVEL_TESTPAGE, kSender, onPort(full.port(), 300ms));
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome.status, LpdStatus::TimedOut);
        EXPECT_EQ(outcome.detail, "no connection to port " + std::to_string(full.port()) + " within 300 ms");
        EXPECT_GE(took, 300ms);
        EXPECT_LT(took, 3s);
    }
    EXPECT_EQ(LpdSettings().timeout, 10s);
    EXPECT_EQ(LpdSettings().port, 515);
}

TEST(LpdClient, NothingIsSentWithoutAnAddressAPageOrASafeQueueName)
{
    FakeLpdServer server(FakeLpdServer::Behaviour::Accept);
    LpdSettings settings = onPort(server.port());
    std::vector<std::string> looked;
    settings.lookUp = [&](const std::string& name, in_addr&) {
        looked.push_back(name);
        return false;
    };
    EXPECT_EQ(sendLpdJob("printer.invalid", "q", QUARVEL_TESTPAGE, kSender, settings).status, LpdStatus::NoConnection);
    EXPECT_EQ(looked, std::vector<std::string>{"printer.invalid"});

    // A dotted address is used as it stands; a name goes through the look-up.
    settings.lookUp = [&](const std::string& name, in_addr& address) {
        looked.push_back(name);
        return ::inet_aton("127.0.0.1", &address) != 0;
    };
    TempDir dir;
    EXPECT_EQ(sendLpdJob("localhost", "q", dir.file("missing.ps"), kSender, settings).status,
              LpdStatus::FileUnreadable);
    EXPECT_EQ(sendLpdJob("localhost", "q", dir.path(), kSender, settings).status, LpdStatus::FileUnreadable);
    EXPECT_EQ(sendLpdJob("localhost", "q\n\x02other", QUARVEL_TESTPAGE, kSender, settings).status,
              LpdStatus::QueueRefused);
    EXPECT_EQ(looked.size(), 1u);

    EXPECT_EQ(sendLpdJob("localhost", "q", QUARVEL_TESTPAGE, kSender, settings).status, LpdStatus::Sent);
    EXPECT_EQ(looked.size(), 2u);
    EXPECT_EQ(server.wait().queue, "q"); // the first connection was the good one
}

// A printer that floods, paces its answers or reads without end is ended by
// the protocol check or the job's deadline, and the detail says which.
TEST(LpdClient, AHostilePrinterIsBoundedAndNamedTruly)
{
    TempDir dir;
    const std::string bigPage = dir.file("big.ps");
    writeBytes(bigPage, std::string(32 << 20, 'x')); // more than the socket buffers hold
    struct Row {
        FakeLpdServer::Behaviour behaviour;
        std::string page;
        std::chrono::milliseconds jobTimeout;
        LpdStatus status;
        std::string detailStart;
    };
    const Row rows[] = {
        {FakeLpdServer::Behaviour::EndlessZeros, QUARVEL_TESTPAGE, 60s, LpdStatus::QueueRefused,
         "protocol fault: the printer answered the job request for queue 'q' with more than one byte"},
        {FakeLpdServer::Behaviour::SlowAnswers, QUARVEL_TESTPAGE, 500ms, LpdStatus::TimedOut,
         "the job did not end within 500 ms (no answer to "},
        {FakeLpdServer::Behaviour::SlowReader, bigPage, 1500ms, LpdStatus::TimedOut,
         "the job did not end within 1500 ms (the printer was still taking the data file: "},
    };
    for (const Row& row : rows) {
        FakeLpdServer server(row.behaviour);
        LpdSettings settings = onPort(server.port(), 300ms);
        settings.jobTimeout = row.jobTimeout;
        const auto start = std::chrono::steady_clock::now();
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", row.page, kSender, settings);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(outcome.status, row.status) << outcome.detail;
        EXPECT_EQ(outcome.detail.substr(0, row.detailStart.size()), row.detailStart) << outcome.detail;
        EXPECT_LT(took, row.jobTimeout + 1s) << outcome.detail;
    }
    EXPECT_EQ(LpdSettings().jobTimeout, 60s);
}

// A name server that never answers costs the step's time-out; a numeric
// IPv6 address needs no look-up.
TEST(LpdClient, NameLookUpIsBoundedAndIPv6AddressesAreReached)
{
    const auto release = std::make_shared<std::atomic<bool>>(false);
    LpdSettings settings = onPort(unusedLoopbackPort(), 300ms);
    settings.lookUp = [release](const std::string&, in_addr&) {
        for (int i = 0; i < 500 && !*release; ++i)
            std::this_thread::sleep_for(10ms);
        return false;
    };
    const auto start = std::chrono::steady_clock::now();
    const LpdOutcome hung = sendLpdJob("printer.invalid", "q", QUARVEL_TESTPAGE, kSender, settings);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(hung.status, LpdStatus::TimedOut);
    EXPECT_EQ(hung.detail, "no answer from the name look-up within 300 ms");
    *release = true;

    FakeLpdServer server(FakeLpdServer::Behaviour::Accept, "::1");
    if (!server.listening())
        GTEST_SKIP() << "no IPv6 loopback here: " << std::strerror(server.listenError());
    settings.port = server.port();
    const LpdOutcome outcome = sendLpdJob("::1", "v6", QUARVEL_TESTPAGE, kSender, settings);
    EXPECT_EQ(outcome.status, LpdStatus::Sent) << outcome.detail;
    EXPECT_EQ(server.wait().dataFile, testPage());
}

// A control step is a few bytes the printer answers at once: Nagle's wait
// for the acknowledgement of the last segment would hold each one back.
TEST(LpdClient, ItsSocketsSendSmallStepsWithoutWaiting)
{
    for (const int family : {AF_INET, AF_INET6}) {
        const LpdSystem::Socket socket = LpdSystem::open(family);
        ASSERT_NE(socket, LpdSystem::kNoSocket) << family;
        int on = 0;
        socklen_t length = sizeof on;
        EXPECT_EQ(::getsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, &length), 0);
        EXPECT_EQ(on, 1) << family;
        LpdSystem::close(socket);
    }
}

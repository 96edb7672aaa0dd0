// The LPD client over Windows Sockets, against the fake printer on the
// loopback address.
#include <chrono>
#include <gtest/gtest.h>
#include <optional>

#include "FakeLpdServer.h"
#include "TestSupport.h"
#include "WinTestSupport.h"
#include "diagnostics/LpdClient.h"
#include "platform/Sockets.h"

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

const LpdSender kSender{"station7", "operator", 42};

// Line ends of both kinds, a text-mode end of file and a zero byte: the
// page must arrive byte for byte.
const std::string kPage = "%!PS\r\nshowpage\n\x1a\x00tail"s;

class WinLpdClient : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ASSERT_TRUE(startSocketLibrary(2, 2)); }
};

} // namespace

TEST_F(WinLpdClient, EachOutcomeHasTheStatusAndTextOfTheOtherSystems)
{
    TempDir dir;
    const std::string page = inFolder(dir.path(), "page.ps");
    writeBytes(page, kPage);
    struct Row {
        std::optional<FakeLpdServer::Behaviour> behaviour; // none: nothing listens
        std::chrono::milliseconds timeout;
        LpdStatus status;
        std::string detailStart;
    };
    const Row rows[] = {
        {FakeLpdServer::Behaviour::Accept, 5s, LpdStatus::Sent, "sent " + std::to_string(kPage.size()) + " bytes"},
        {FakeLpdServer::Behaviour::RefuseQueue, 5s, LpdStatus::QueueRefused,
         "the job request for queue 'q' refused (answer 1)"},
        {std::nullopt, 5s, LpdStatus::ConnectionRefused, "connection refused on port "},
        {FakeLpdServer::Behaviour::Hang, 300ms, LpdStatus::TimedOut,
         "no answer to the job request for queue 'q' within 300 ms"},
        {FakeLpdServer::Behaviour::CloseAtControlFile, 5s, LpdStatus::TransferBroken,
         "the printer closed the connection before it answered the control file command"},
    };
    for (const Row& row : rows) {
        std::optional<FakeLpdServer> server;
        LpdSettings settings;
        settings.timeout = row.timeout;
        settings.port = unusedLoopbackPort();
        if (row.behaviour) {
            server.emplace(*row.behaviour);
            ASSERT_TRUE(server->listening()) << server->listenError();
            settings.port = server->port();
        }
        const auto start = std::chrono::steady_clock::now();
        const LpdOutcome outcome = sendLpdJob("127.0.0.1", "q", page, kSender, settings);
        EXPECT_EQ(outcome.status, row.status) << outcome.detail;
        EXPECT_EQ(outcome.detail.substr(0, row.detailStart.size()), row.detailStart);
        EXPECT_LT(std::chrono::steady_clock::now() - start, row.timeout + 2s) << outcome.detail;
        // A hanging printer is ended with its object.
        if (server && row.status != LpdStatus::TimedOut) {
            EXPECT_EQ(server->wait().queue, "q");
        }
    }
}

TEST_F(WinLpdClient, ControlFileAndPageArriveAsSentFromAWindowsPath)
{
    TempDir dir;
    const std::string page = inFolder(dir.path(), "page.ps");
    writeBytes(page, kPage);
    FakeLpdServer server(FakeLpdServer::Behaviour::Accept);
    LpdSettings settings;
    settings.port = server.port();
    EXPECT_EQ(sendLpdJob("127.0.0.1", "PASSTHRU", page, kSender, settings).status, LpdStatus::Sent);

    const FakeLpdServer::Received& got = server.wait();
    const std::string control = lpdControlFile(kSender, "page.ps"); // the name without its folder
    EXPECT_EQ(got.queue, "PASSTHRU");
    EXPECT_EQ(got.commands, (std::vector<std::string>{"\x02" + std::to_string(control.size()) + " cfA042station7",
                                                      "\x03" + std::to_string(kPage.size()) + " dfA042station7"}));
    EXPECT_EQ(got.controlFile, control);
    EXPECT_EQ(got.dataFile, kPage);
    EXPECT_TRUE(got.filesEndedWithZero);

    // The sender as Windows names it, after the socket library started.
    const LpdSender own = LpdSender::thisProcess();
    EXPECT_FALSE(own.host.empty());
    EXPECT_NE(own.host, "localhost");
    EXPECT_LE(own.host.size(), 31u);
    EXPECT_FALSE(own.user.empty());
    EXPECT_LE(own.user.size(), 31u);
    EXPECT_NE(LpdSender::thisProcess().jobNumber, own.jobNumber);
}

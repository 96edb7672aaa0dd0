#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <winsock2.h>
using FakeLpdSocket = SOCKET;
#else
using FakeLpdSocket = int;
#endif

// A line printer daemon of the tests' own on a loopback address. It serves
// one connection in a thread of its own, answering as told, and keeps what
// arrived. On Windows the test program has started the socket library.
class FakeLpdServer {
  public:
    using Socket = FakeLpdSocket;
    static constexpr Socket kNoSocket = static_cast<Socket>(-1);
    enum class Behaviour {
        Accept,             // acknowledges everything
        RefuseQueue,        // answers the job request with 1
        CloseAtQueue,       // closes the connection on the job request
        Hang,               // reads the job request and never answers
        CloseAtControlFile, // accepts the queue, closes on the control file command
        CloseInData,        // closes after half of the data file
        RefuseDataFile,     // answers the data file with 1
        EndlessZeros,       // answers the job request with zero bytes without end
        SlowAnswers,        // acknowledges every step, each after kSlowAnswer
        SlowReader,         // accepts the queue and the control file, then reads the data file slowly
    };
    static constexpr std::chrono::milliseconds kSlowAnswer{150};

    struct Received {
        std::string queue;                 // from the job request
        std::vector<std::string> commands; // the subcommand lines, without their line end
        std::string controlFile;           // without its closing zero byte
        std::string dataFile;              // without its closing zero byte
        bool filesEndedWithZero = true;
    };

    // Listens on address:port (port 0: any free port). listening() tells
    // whether that worked.
    explicit FakeLpdServer(Behaviour behaviour, const std::string& address = "127.0.0.1", std::uint16_t port = 0);
    ~FakeLpdServer();
    FakeLpdServer(const FakeLpdServer&) = delete;
    FakeLpdServer& operator=(const FakeLpdServer&) = delete;

    bool listening() const { return m_listener != kNoSocket; }
    int listenError() const { return m_listenError; }
    std::uint16_t port() const { return m_port; }

    // Waits until the connection has been served, then gives what arrived.
    const Received& wait();

  private:
    void serve();
    void serveConnection(Socket client);
    void answerAfterPause(Socket client);
    void readSlowly(Socket client);

    Behaviour m_behaviour;
    Socket m_listener = kNoSocket;
    int m_listenError = 0;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    Received m_received;
    std::thread m_thread;
};

// A loopback port on which nothing listens: taken from the system, then
// given back.
std::uint16_t unusedLoopbackPort();

// A listener on a loopback port whose queue of pending connections is full,
// so that a further connection attempt gets no answer.
class FullListener {
  public:
    FullListener();
    ~FullListener();
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
    std::uint16_t port() const { return m_port; }

  private:
    FakeLpdServer::Socket m_listener = FakeLpdServer::kNoSocket;
    FakeLpdServer::Socket m_filler = FakeLpdServer::kNoSocket;
    std::uint16_t m_port = 0;
};

// The options of quarvel-cfg's DICOM commands that show DCMTK's own log. The
// log goes to the process's standard error, so the program itself is run.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "LoopbackPorts.h"
#include "TestSupport.h"
#include "config/Configuration.h"

TEST(DicomCommands, VerboseAndDebugChooseHowMuchOfDcmtksLogReachesStandardError)
{
    // A peer that takes each connection and closes it: the association
    // request is built and sent (DCMTK logs that at DEBUG), then aborted.
    const LoopbackPort peer(true);
    std::thread closer([&peer] {
        for (int fd; (fd = ::accept(peer.socket(), nullptr, nullptr)) >= 0;)
            ::close(fd);
    });
    TempDir folder;
    Configuration config;
    config.Port = peer.port();
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER3";
    config.Printers.add(printer);
    std::string message;
    ASSERT_TRUE(config.saveToFile(folder.file("server.cfg"), message)) << message;

    const struct {
        const char* command;
        const char* options;
        bool debugLines;
    } rows[] = {
        {"echo", "", false},
        {"echo", "--verbose", false},
        {"echo", "-v", false},
        {"echo", "--debug", true},
        {"filmtest", "-d", true},
        {"filmtest", "", false},
        {"filmtest", "-v --debug", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.command) + " " + row.options);
        const std::string printerOperand = std::string(row.command) == "filmtest" ? " LASER3" : "";
        EXPECT_EQ(runCommandStatus(std::string(QUARVEL_CFG_BINARY) + " " + row.command + " " + row.options +
                                   " --timeout 5 " + folder.file("server.cfg") + printerOperand + " >" +
                                   folder.file("out") + " 2>" + folder.file("err")),
                  1);
        EXPECT_NE(readBytes(folder.file("out")).find("aborted"), std::string::npos) << readBytes(folder.file("out"));
        const std::string err = readBytes(folder.file("err"));
        EXPECT_EQ(err.find("D: Constructing Associate RQ PDU\n") != std::string::npos, row.debugLines) << err;
        if (!row.debugLines) {
            EXPECT_EQ(err, ""); // nothing of DCMTK's below DEBUG here, and nothing of ours
        }
    }
    ::shutdown(peer.socket(), SHUT_RDWR);
    closer.join();
}

// Finding and loading the DICOM plugin, which alone links DCMTK: where the
// programs look, what they say when it is missing or broken, and the
// command line's answer without it.
#include <gtest/gtest.h>

#include <filesystem>

#include "TestSupport.h"
#include "config/Configuration.h"
#include "dicom/DicomChecks.h"
#include "dicom/DicomPlugin.h"
#include "platform/Folders.h"

TEST(DicomPlugin, IsLookedForBesideTheProgramThenWhereTheInstallationPutsIt)
{
    EXPECT_EQ(dicomPluginFolders(QUARVEL_INSTALLED_BINDIR),
              (std::vector<std::string>{QUARVEL_INSTALLED_BINDIR, QUARVEL_INSTALLED_PLUGIN_FOLDER}));
    EXPECT_EQ(dicomPluginFolders("/opt/q/bin").at(0), "/opt/q/bin");
}

TEST(DicomPlugin, LoadsTheFirstFoundAndSaysWhyWhenItCannot)
{
    TempDir empty;
    TempDir broken;
    writeBytes(broken.file(kDicomPluginFileName), "not a library");
    const std::string built = executableDirectory(); // the build's copy beside the tests
    const struct {
        const char* name;
        std::vector<std::string> folders;
        std::string errorStart; // empty: loaded
        bool reasonFollows = false;
    } rows[] = {
        {"nowhere",
         {empty.path()},
         std::string("The DICOM checks are not installed: quarvel-dicom.so was not found in ") + empty.path() + "."},
        {"nowhere, two folders",
         {empty.path(), empty.path() + "/sub"},
         "The DICOM checks are not installed: quarvel-dicom.so was not found in " + empty.path() + " or " +
             empty.path() + "/sub."},
        {"not a library",
         {broken.path(), built},
         "The DICOM checks could not be loaded from " + broken.file(kDicomPluginFileName) + ": ",
         true},
        {"the built plugin, after an empty folder", {empty.path(), built}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string error;
        DicomChecks* checks = loadDicomChecks(row.folders, error);
        if (row.errorStart.empty()) {
            ASSERT_NE(checks, nullptr) << error;
            EchoResult refused;
            refused.aeTitle = "LASER3";
            refused.outcome = DicomOutcome::NoConnection;
            refused.detail = "Connection refused";
            EXPECT_EQ(checks->echoLine(refused, DicomPeer{}),
                      "LASER3 at 127.0.0.1:104: no connection: Connection refused");
        } else {
            EXPECT_EQ(checks, nullptr);
            EXPECT_EQ(error.substr(0, row.errorStart.size()), row.errorStart) << error;
            EXPECT_EQ(error.size() > row.errorStart.size(), row.reasonFollows) << error;
        }
    }
}

// quarvel-cfg alone, without the plugin beside it: its DICOM commands fail
// with the message and a file or usage error's status; the rest works.
TEST(DicomPlugin, TheCommandsSayWhatIsMissingWhenTheProgramHasNoPlugin)
{
    TempDir folder;
    const std::string program = folder.file("quarvel-cfg");
    std::filesystem::copy_file(QUARVEL_CFG_BINARY, program);
    Configuration config;
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER3";
    config.Printers.add(printer);
    std::string message;
    ASSERT_TRUE(config.saveToFile(folder.file("server.cfg"), message)) << message;
    const std::string missing = "quarvel-dicom.so was not found in " + folder.path() + " or ";
    const struct {
        std::string arguments;
        int status;
        std::string errStart;
    } rows[] = {
        {"echo " + folder.file("server.cfg"), 2, "quarvel-cfg: echo: The DICOM checks are not installed: " + missing},
        {"filmtest " + folder.file("server.cfg") + " LASER3", 2,
         "quarvel-cfg: filmtest: The DICOM checks are not installed: " + missing},
        {"filmtest " + folder.file("server.cfg") + " NOPRINTER", 2, "quarvel-cfg: filmtest: 'NOPRINTER' is no printer"},
        {"get " + folder.file("server.cfg") + " Printers[LASER3].PrinterAETitle", 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        EXPECT_EQ(
            runCommandStatus(program + " " + row.arguments + " >" + folder.file("out") + " 2>" + folder.file("err")),
            row.status);
        const std::string err = readBytes(folder.file("err"));
        EXPECT_EQ(err.substr(0, row.errStart.size()), row.errStart) << err;
    }
    EXPECT_EQ(readBytes(folder.file("out")), "LASER3\n");
}

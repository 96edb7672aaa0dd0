// The editor's save among other writers: it waits for the file's lock, and
// asks before it saves over a file that an interrupted save left.
#include <QLabel>
#include <QTest>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"
#include "platform/FileLock.h"

namespace {

using A = Interaction::Answer;

struct RecoveryCase {
    const char* name;
    A answer;
    bool written;
};

const RecoveryCase kRecoveryCases[] = {
    {"No keeps the file and the copy", A::No, false},
    {"Yes saves and drops the copy", A::Yes, true},
};

ScriptedInteraction::ModalHandler closeReport(QString& report)
{
    return [&report](QDialog& dialog) {
        report = dialog.findChild<QLabel*>(QStringLiteral("reportText"))->text();
        dialog.accept();
    };
}

} // namespace

TEST_F(SheetTest, ASaveOverAFileAnInterruptedSaveLeftAsksFirst)
{
#ifdef _WIN32
    GTEST_SKIP() << "the Windows writer never writes in place: no save there leaves a recovery copy";
#else
    TempDir state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    for (const RecoveryCase& tc : kRecoveryCases) {
        SCOPED_TRACE(tc.name);
        TempDir dir;
        const std::string file = dir.file("config.cfg");
        writeBytes(file, kGoodFile);
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        // What a save cut off while it wrote the file in place leaves.
        struct stat st {};
        ::stat(file.c_str(), &st);
        const std::string stem =
            state.path() + "/quarvel/recovery/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
        std::filesystem::create_directories(state.path() + "/quarvel/recovery");
        writeBytes(stem + ".old", "old");
        writeBytes(stem + ".saving", file + "\n");
        startLoad(QString::fromStdString(file)); // tells of it once when loading
        ui.messages.clear();

        ui.answers.push_back(tc.answer);
        ui.saveResults.push_back(QString::fromStdString(file));
        QString report;
        if (tc.written)
            ui.modalHandlers.push_back(closeReport(report));
        saveAndExit();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_TRUE(ui.lastMessage().text.startsWith(
            QString::fromStdString("A save of " + file +
                                   " was interrupted while it wrote the file; it may be incomplete. The old "
                                   "content is in " +
                                   stem + ".old.\n\nDo you want to save all the same?")))
            << ui.lastMessage().text.toStdString();
        EXPECT_EQ(readBytes(file) == kGoodFile, !tc.written);
        EXPECT_EQ(fileExists(stem + ".old"), !tc.written);
        EXPECT_EQ(report.startsWith(QStringLiteral("Saving status:\tSUCCESS")), tc.written);
        std::filesystem::remove_all(state.path() + "/quarvel");
    }
    ::unsetenv("XDG_STATE_HOME");
#endif
}

TEST_F(SheetTest, ASaveWaitsWhileAnotherProgramHoldsTheFilesLock)
{
    TempDir dir;
    const std::string file = dir.file("config.cfg");
    writeBytes(file, kGoodFile);
    startLoad(QString::fromStdString(file));

    // Another writer holds the lock for a while, then is done.
    FileLock other;
    std::string message;
    ASSERT_TRUE(other.acquire(file, std::chrono::seconds(1), message)) << message;
    std::thread release([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        other.release();
    });
    ui.saveResults.push_back(QString::fromStdString(file));
    QString report;
    ui.modalHandlers.push_back(closeReport(report));
    const auto start = std::chrono::steady_clock::now();
    saveAndExit();
    const auto waited = std::chrono::steady_clock::now() - start;
    release.join();
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_TRUE(report.startsWith(QStringLiteral("Saving status:\tSUCCESS"))) << report.toStdString();
    EXPECT_EQ(readBytes(file), formatConfiguration(config()));
}

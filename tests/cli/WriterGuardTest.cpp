// Every writer of quarvel-cfg and the Ansible module, run as separate
// programs at once and against files they must not replace: they take turns
// on the file's lock, refuse while an interrupted save's copy is there,
// refuse a file that holds no configuration, and keep a bounded number of
// backups.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"
#include "ToolRun.h"
#include "cli/AnsibleModule.h"
#include "platform/FileLock.h"
#include "platform/SaveMessages.h"

namespace {

// Runs each command line in a shell of its own, all at once, and waits for
// every one; their exit statuses.
std::vector<int> runTogether(const std::vector<std::string>& commands)
{
    std::vector<pid_t> children;
    for (const std::string& command : commands) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        children.push_back(child);
    }
    std::vector<int> statuses;
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return statuses;
}

std::string value(const std::string& file, const std::string& path)
{
    return tool({"get", file, path}).out;
}

// Twenty top-level settings, each with a value the golden sample does not
// have.
const std::pair<const char*, const char*> kTwentySettings[] = {
    {"DeleteJobFile", "NO"},
    {"SuppressPrinting", "YES"},
    {"Asynchronous", "NO"},
    {"PrinterName", "Ward 3"},
    {"IncludeLabel", "NO"},
    {"LabelSize", "17"},
    {"PositionX", "33"},
    {"PositionY", "44"},
    {"Text", "Radiology"},
    {"SupportsColorImage", "NO"},
    {"UseCMYK", "YES"},
    {"Annotation", "YES"},
    {"PrintJob", "YES"},
    {"LenientMode", "NO"},
    {"IgnoreMagnificationType", "NO"},
    {"Copies", "7"},
    {"Label", "Session"},
    {"Port", "11199"},
    {"ServerAETitle", "QUARVELSRV"},
    {"CheckAETitles", "YES"},
};

struct ConcurrentCase {
    const char* id; // the test's name
    const char* name;
    // The command line of the i-th writer, for the file in dir.
    std::function<std::string(int i, const TempDir& dir)> command;
    // The i-th writer's change, as get prints it, and what it should be.
    std::function<std::pair<std::string, std::string>(int i, const std::string& file)> landed;
};

std::string shellWord(const std::string& text)
{
    return "'" + text + "'";
}

const ConcurrentCase kConcurrentCases[] = {
    {"CfgSetOfAPrinterEach", "quarvel-cfg set, a printer each",
     [](int i, const TempDir& dir) {
         return std::string(QUARVEL_CFG_BINARY) + " set " + dir.file("config.cfg") + " " +
                shellWord("Printers[P" + std::to_string(i) + "].PrinterAddress=10.0.0." + std::to_string(i)) +
                " >/dev/null";
     },
     [](int i, const std::string& file) {
         return std::pair{value(file, "Printers[P" + std::to_string(i) + "].PrinterAddress"),
                          "10.0.0." + std::to_string(i) + "\n"};
     }},
    {"CfgSetOfASettingEach", "quarvel-cfg set, a setting each",
     [](int i, const TempDir& dir) {
         const auto& [key, setting] = kTwentySettings[i];
         return std::string(QUARVEL_CFG_BINARY) + " set " + dir.file("config.cfg") + " " +
                shellWord(std::string(key) + "=" + setting) + " >/dev/null";
     },
     [](int i, const std::string& file) {
         const auto& [key, setting] = kTwentySettings[i];
         return std::pair{value(file, key), std::string(setting) + "\n"};
     }},
    {"ModuleWithAPrinterEach", "the module, a printer each",
     [](int i, const TempDir& dir) {
         const std::string arguments = dir.file("arguments" + std::to_string(i) + ".json");
         writeBytes(arguments, R"({"path": ")" + dir.file("config.cfg") +
                                   R"(", "set": {"Printers": [{"PrinterAETitle": "M)" + std::to_string(i) +
                                   R"(", "PrinterAddress": "10.1.0.)" + std::to_string(i) + R"("}]}})");
         return std::string(QUARVEL_MODULE_BINARY) + " " + arguments + " >/dev/null";
     },
     [](int i, const std::string& file) {
         return std::pair{value(file, "Printers[M" + std::to_string(i) + "].PrinterAddress"),
                          "10.1.0." + std::to_string(i) + "\n"};
     }},
};

class ConcurrentWriters : public ::testing::TestWithParam<ConcurrentCase> {};

void PrintTo(const ConcurrentCase& tc, std::ostream* out)
{
    *out << tc.name;
}

// The stem of the recovery files of the file at path in the state folder.
std::string recoveryStem(const std::string& state, const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return state + "/quarvel/recovery/" + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino);
}

// A writer in either front end: its status (the module's "failed" as 2) and
// message.
struct Writer {
    const char* name;
    bool checksFaults; // takes --allow-faults
    std::function<ToolRun(const std::string& file, const std::vector<std::string>& options)> run;
};

ToolRun module(const std::string& file, const std::string& set, const std::vector<std::string>& options)
{
    Json arguments = {{"path", file}, {"set", Json::parse(set)}};
    for (const std::string& option : options)
        arguments[option.substr(0, option.find('='))] =
            option.find('=') == std::string::npos ? Json(true) : Json::parse(option.substr(option.find('=') + 1));
    const Json result = runAnsibleModule(arguments);
    return {result.value("failed", false) ? 2 : 0, result.dump(), result.value("msg", "")};
}

std::vector<std::string> with(std::vector<std::string> words, const std::vector<std::string>& options)
{
    words.insert(words.begin() + 1, options.begin(), options.end());
    return words;
}

const Writer kWriters[] = {
    {"set", true,
     [](const std::string& f, const auto& o) {
         return tool(with({"set", f, "Port=5"}, o));
     }},
    {"remove", true,
     [](const std::string& f, const auto& o) {
         return tool(with({"remove", f, "Headers[LOGO]"}, o));
     }},
    {"import", true,
     [](const std::string& f, const auto& o) {
         return tool(with({"import", "-", f}, o), "{}");
     }},
    {"normalize", false,
     [](const std::string& f, const auto& o) {
         return tool(with({"normalize", goldenPath("sample.cfg"), f}, o));
     }},
    {"defaults", false,
     [](const std::string& f, const auto& o) {
         return tool(with({"defaults", f}, o));
     }},
    {"the module", true, [](const std::string& f, const auto& o) { return module(f, R"({"Port": 5})", o); }},
};

bool isModule(const Writer& writer)
{
    return std::string(writer.name) == "the module";
}

// The option that lets a writer go on, as its front end spells it.
std::string option(const Writer& writer, const std::string& cli, const std::string& module)
{
    return isModule(writer) ? module : cli;
}

std::vector<std::string> faultsAllowed(const Writer& writer)
{
    if (!writer.checksFaults)
        return {};
    return {option(writer, "--allow-faults", "allow_faults")};
}

} // namespace

TEST_P(ConcurrentWriters, TwentyAtOnceAllLandEveryTime)
{
    const ConcurrentCase& tc = GetParam();
    constexpr int kWriters = 20, kRounds = 20;
    for (int round = 0; round < kRounds; ++round) {
        TempDir dir;
        const std::string file = dir.file("config.cfg");
        writeBytes(file, readBytes(goldenPath("sample.cfg")));
        std::vector<std::string> commands;
        for (int i = 0; i < kWriters; ++i)
            commands.push_back(tc.command(i, dir));
        EXPECT_EQ(runTogether(commands), std::vector<int>(kWriters, 0)) << tc.name << ", round " << round;
        int landed = 0;
        for (int i = 0; i < kWriters; ++i) {
            const auto [now, wanted] = tc.landed(i, file);
            EXPECT_EQ(now, wanted) << tc.name << ", round " << round << ", writer " << i;
            landed += now == wanted;
        }
        ASSERT_EQ(landed, kWriters) << tc.name << ", round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, ConcurrentWriters, ::testing::ValuesIn(kConcurrentCases),
                         [](const auto& info) { return std::string(info.param.id); });

TEST(WriterGuard, AWriterWaitsForTheLockThenGivesUpNamingTheFile)
{
    TempDir dir;
    const std::string file = dir.file("config.cfg");
    const std::string sample = readBytes(goldenPath("sample.cfg"));
    writeBytes(file, sample);
    FileLock held;
    std::string message;
    ASSERT_TRUE(held.acquire(file, std::chrono::seconds(1), message)) << message;
    for (const Writer& writer : kWriters) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::string> options = faultsAllowed(writer);
        options.push_back(option(writer, "--wait=1", "lock_timeout=1"));
        const ToolRun run = writer.run(file, options);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(run.status, 2) << writer.name;
        EXPECT_NE(run.err.find(lockBusyMessage(file, 1)), std::string::npos) << writer.name << ": " << run.err;
        EXPECT_GE(waited, std::chrono::milliseconds(950)) << writer.name;
        EXPECT_LT(waited, std::chrono::seconds(3)) << writer.name;
    }
    EXPECT_TRUE(readBytes(file) == sample);
    held.release();
    EXPECT_EQ(kWriters[0].run(file, {}).status, 0);
}

TEST(WriterGuard, AnInterruptedSaveStopsEveryWriterUntilItsCopyIsDiscarded)
{
    TempDir dir, state;
    ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
    const std::string file = dir.file("config.cfg");
    const std::string torn = readBytes(goldenPath("sample.cfg")).substr(0, 700);
    for (const Writer& writer : kWriters) {
        writeBytes(file, torn);
        // What a save killed while it wrote the file in place leaves.
        const std::string stem = recoveryStem(state.path(), file);
        std::filesystem::create_directories(state.path() + "/quarvel/recovery");
        writeBytes(stem + ".old", "the old content");
        writeBytes(stem + ".saving", file + "\n");

        ToolRun run = writer.run(file, faultsAllowed(writer));
        EXPECT_EQ(run.status, 2) << writer.name;
        EXPECT_NE(run.err.find("The old content is in " + stem + ".old."), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(option(writer, "--discard-recovery", "discard_recovery: true")), std::string::npos)
            << run.err;
        EXPECT_TRUE(readBytes(file) == torn) << writer.name;
        EXPECT_EQ(readBytes(stem + ".old"), "the old content") << writer.name;

        std::vector<std::string> options = faultsAllowed(writer);
        options.push_back(option(writer, "--discard-recovery", "discard_recovery"));
        run = writer.run(file, options);
        EXPECT_EQ(run.status, 0) << writer.name << ": " << run.err;
        EXPECT_FALSE(fileExists(stem + ".old")) << writer.name;
        EXPECT_FALSE(fileExists(stem + ".saving")) << writer.name;
    }
    ::unsetenv("XDG_STATE_HOME");
}

TEST(WriterGuard, AFileThatHoldsNoConfigurationIsReplacedOnlyWhenAskedAndNeverShown)
{
    TempDir dir;
    std::mt19937 rng(31);
    std::string noise(300 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(rng());
    const struct {
        const char* what;
        std::string bytes;
        bool throughLink;
        bool refused;
    } files[] = {
        {"300 KiB of random bytes", noise, false, true},
        {"an account list behind a link", "root:$6$salt$hash:19000:0:99999:7:::\n", true, true},
        {"an empty file", "", false, false},
        {"blank lines only", "\r\n  \r\n", false, false},
        {"a configuration without a banner", "[[[DICOM]]]\n[[TCPIP]]\n[Server]\nPort = 7\n", false, false},
    };
    for (const auto& file : files) {
        for (const Writer& writer : kWriters) {
            SCOPED_TRACE(std::string(file.what) + ", " + writer.name);
            const std::string target = dir.file("target");
            const std::string path = file.throughLink ? dir.file("config.cfg") : target;
            std::filesystem::remove(dir.file("config.cfg"));
            writeBytes(target, file.bytes);
            if (file.throughLink)
                std::filesystem::create_symlink(target, path);
            ToolRun run = writer.run(path, faultsAllowed(writer));
            if (!file.refused) {
                EXPECT_EQ(run.status, 0) << run.err;
                continue;
            }
            EXPECT_EQ(run.status, 2);
            EXPECT_NE(run.err.find(path + " holds no configuration of the print server"), std::string::npos) << run.err;
            EXPECT_TRUE(readBytes(target) == file.bytes);

            std::vector<std::string> options = faultsAllowed(writer);
            options.push_back(option(writer, "--replace-foreign", "replace_foreign"));
            if (isModule(writer)) {
                // In diff mode the module shows the new text, not the old.
                options.push_back("_ansible_diff");
                options.push_back("_ansible_check_mode");
                run = writer.run(path, options);
                EXPECT_EQ(run.status, 0) << run.err;
                EXPECT_EQ(run.out.find(file.bytes.substr(0, 20)), std::string::npos) << run.out;
                EXPECT_NE(run.out.find("(a file that holds no configuration, not shown)"), std::string::npos);
                options.resize(options.size() - 2);
            }
            run = writer.run(path, options);
            EXPECT_EQ(run.status, 0) << run.err;
            // A removal of what the file does not hold changes nothing.
            if (std::string(writer.name) == "remove")
                EXPECT_TRUE(readBytes(target) == file.bytes);
            else
                EXPECT_NE(readBytes(target).find("[[[DICOM]]]"), std::string::npos);
        }
    }
}

TEST(WriterGuard, NumberedBackupsAreCappedAndTheModuleKeepsOneOnlyWhenAsked)
{
    const struct {
        const char* what;
        std::vector<std::string> options;
        int saves;
        std::vector<std::string> kept;
    } cases[] = {
        {"the default keeps ten", {}, 15, {"bk10", "bk11", "bk12", "bk13", "bk14", "bk15", "bk6", "bk7", "bk8", "bk9"}},
        {"three", {"--keep-backups=3"}, 6, {"bk4", "bk5", "bk6"}},
        {"all", {"--keep-backups=0"}, 4, {"bak", "bk2", "bk3", "bk4"}},
    };
    for (const auto& tc : cases) {
        TempDir dir;
        const std::string file = dir.file("config.cfg");
        writeBytes(file, readBytes(goldenPath("sample.cfg")));
        for (int port = 1; port <= tc.saves; ++port)
            ASSERT_EQ(tool(with({"set", file, "Port=" + std::to_string(port)}, tc.options)).status, 0) << tc.what;
        std::vector<std::string> kept;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            if (entry.path().stem() == "config" && entry.path().extension() != ".cfg")
                kept.push_back(entry.path().extension().string().substr(1));
        std::sort(kept.begin(), kept.end());
        EXPECT_EQ(kept, tc.kept) << tc.what;
    }

    TempDir dir;
    const std::string file = dir.file("config.cfg");
    writeBytes(file, readBytes(goldenPath("sample.cfg")));
    Json result = runAnsibleModule({{"path", file}, {"set", {{"Port", 5}}}});
    EXPECT_FALSE(result.contains("backup_file")) << result.dump();
    EXPECT_FALSE(fileExists(dir.file("config.bak")));
    result = runAnsibleModule({{"path", file}, {"set", {{"Port", 6}}}, {"backup", true}});
    EXPECT_EQ(result["backup_file"], dir.file("config.bak")) << result.dump();
    EXPECT_NE(readBytes(dir.file("config.bak")).find("Port = 5\r\n"), std::string::npos);
}

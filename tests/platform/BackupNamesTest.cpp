// The backup names of both writers, without touching a file: built on Linux
// and for Windows alike.
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "platform/BackupNames.h"

namespace {

using Separators = BackupNames::Separators;

} // namespace

TEST(BackupNames, TheNthNameIsThePathWithoutItsExtension)
{
    struct Row {
        const char* path;
        Separators separators;
        int n;
        const char* expected;
    };
    const Row rows[] = {
        {"config", Separators::Posix, 1, "config.bak"},
        {"/srv/config.cfg", Separators::Posix, 1, "/srv/config.bak"},
        {"/srv/config.cfg", Separators::Posix, 2, "/srv/config.bk2"},
        {"/srv/config.cfg", Separators::Posix, 13, "/srv/config.bk13"},
        {"/srv/config.cfg", Separators::Posix, 0, "/srv/config.bak"},
        {"/srv/my.config.cfg", Separators::Posix, 1, "/srv/my.config.bak"},
        {"/srv/a.b/cfg", Separators::Posix, 1, "/srv/a.b/cfg.bak"},
        {"/srv/.hidden", Separators::Posix, 1, "/srv/.bak"},
        // On Linux a "\" is part of the file name.
        {"/srv/a.b\\cfg", Separators::Posix, 1, "/srv/a.bak"},
        {"config", Separators::Windows, 1, "config.bak"},
        {"D:\\srv\\config.cfg", Separators::Windows, 1, "D:\\srv\\config.bak"},
        {"D:\\srv\\config.cfg", Separators::Windows, 2, "D:\\srv\\config.bk2"},
        {"D:\\srv\\config.cfg", Separators::Windows, 13, "D:\\srv\\config.bk13"},
        {"D:\\srv\\my.config.cfg", Separators::Windows, 1, "D:\\srv\\my.config.bak"},
        {"D:\\a.b\\cfg", Separators::Windows, 1, "D:\\a.b\\cfg.bak"},
        {"C:\\a.b\\cfg.cfg", Separators::Windows, 1, "C:\\a.b\\cfg.bak"},
        // Windows takes "/" as a separator too.
        {"C:/a.b/cfg", Separators::Windows, 1, "C:/a.b/cfg.bak"},
        {"C:\\a.b/cfg", Separators::Windows, 1, "C:\\a.b/cfg.bak"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(BackupNames(row.path, row.separators).candidate(row.n), row.expected)
            << row.path << ", name " << row.n;
}

TEST(BackupNames, TheNextFreeNameSkipsTheTakenOnesInOrder)
{
    struct Row {
        const char* what;
        const char* path;
        Separators separators;
        std::set<std::string> taken;
        int from;
        const char* expected;
        int number;
    };
    const Row rows[] = {
        {"none taken", "/srv/config.cfg", Separators::Posix, {}, 1, "/srv/config.bak", 1},
        {".bak taken", "/srv/config.cfg", Separators::Posix, {"/srv/config.bak"}, 1, "/srv/config.bk2", 2},
        {".bak and .bk2 taken",
         "/srv/config.cfg",
         Separators::Posix,
         {"/srv/config.bak", "/srv/config.bk2"},
         1,
         "/srv/config.bk3",
         3},
        {"a gap is filled first", "/srv/config.cfg", Separators::Posix, {"/srv/config.bk2"}, 1, "/srv/config.bak", 1},
        {"on from a name taken meanwhile",
         "/srv/config.cfg",
         Separators::Posix,
         {"/srv/config.bk3"},
         3,
         "/srv/config.bk4",
         4},
        {"Windows, .bak and .bk2 taken",
         "C:\\a.b\\cfg.cfg",
         Separators::Windows,
         {"C:\\a.b\\cfg.bak", "C:\\a.b\\cfg.bk2"},
         1,
         "C:\\a.b\\cfg.bk3",
         3},
    };
    for (const Row& row : rows) {
        std::vector<std::string> asked;
        int n = row.from;
        const std::string name = BackupNames(row.path, row.separators).nextFree(n, [&](const std::string& candidate) {
            asked.push_back(candidate);
            return row.taken.count(candidate) > 0;
        });
        EXPECT_EQ(name, row.expected) << row.what;
        EXPECT_EQ(n, row.number) << row.what;
        // Each name is asked about once, from the first on, up to the free one.
        EXPECT_EQ(asked.size(), static_cast<std::size_t>(row.number - row.from + 1)) << row.what;
        EXPECT_EQ(asked.back(), row.expected) << row.what;
    }
}

TEST(BackupNames, NumbersAreReadBackAndTheOldestBeyondTheCapGo)
{
    const BackupNames posix("/srv/config.cfg", BackupNames::Separators::Posix);
    const BackupNames windows("C:\\srv\\config.cfg", BackupNames::Separators::Windows);
    const struct {
        const BackupNames& names;
        const char* path;
        int number;
    } numbers[] = {
        {posix, "/srv/config.bak", 1},       {posix, "/srv/config.bk2", 2},
        {posix, "/srv/config.bk60", 60},     {posix, "/srv/config.cfg", 0},
        {posix, "/srv/config.bk1", 0},       {posix, "/srv/config.bk02", 0},
        {posix, "/srv/config.bk2x", 0},      {posix, "/srv/config.bk", 0},
        {posix, "/srv/other.bak", 0},        {posix, "/srv/config.bk99999999999", 0},
        {windows, "C:\\srv\\config.bk7", 7}, {windows, "C:\\srv\\config.bak", 1},
    };
    for (const auto& row : numbers) {
        EXPECT_EQ(row.names.numberOf(row.path), row.number) << row.path;
        if (row.number > 0) {
            EXPECT_EQ(row.names.candidate(row.number), row.path);
        }
    }

    const struct {
        const char* what;
        std::vector<int> present;
        int keep;
        int next;
        std::vector<int> removed;
    } caps[] = {
        {"none yet", {}, 10, 1, {}},
        {"under the cap", {1, 2, 3}, 10, 4, {}},
        {"one over: the lowest goes", {1, 2, 3, 4}, 3, 5, {1}},
        {"with gaps, in any order", {60, 7, 51, 9}, 2, 61, {7, 9}},
        {"no cap", {1, 2, 3, 4}, 0, 5, {}},
    };
    for (const auto& row : caps) {
        EXPECT_EQ(BackupNames::nextNumber(row.present), row.next) << row.what;
        EXPECT_EQ(BackupNames::beyondKept(row.present, row.keep), row.removed) << row.what;
    }
}

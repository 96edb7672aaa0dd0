// quarvel-cfg.exe started with a wide command line: words and file names
// that the ANSI code page cannot hold arrive as typed, values go into the
// file in its code page, a file or a pipe gets UTF-8 bytes and a console the
// characters.
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <ostream>
#include <sstream>
#include <vector>

#include "TestSupport.h"
#include "WinTestSupport.h"
#include "platform/WinConsoleBuf.h"
#include "platform/WinFileErrors.h"
#include "platform/WinText.h"

namespace {

std::wstring wide(const std::string& utf8)
{
    std::wstring text;
    EXPECT_TRUE(wideFromUtf8(utf8, text)) << utf8;
    return text;
}

std::string readNamed(const std::string& folder, const std::string& utf8Name)
{
    std::ifstream in(std::filesystem::path(wide(inFolder(folder, utf8Name))), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

// A file that a started program writes its output into.
class OutputFile {
  public:
    explicit OutputFile(const std::string& path)
        : m_path(path), m_file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~OutputFile() { ::CloseHandle(m_file); }
    HANDLE handle() const { return m_file; }
    std::string bytes() const { return readBytes(m_path); }

  private:
    std::string m_path;
    HANDLE m_file;
};

// Runs quarvel-cfg.exe in folder with the command line tail words, given in
// UTF-8 and passed on as UTF-16; its exit status, -1 when it did not run.
long long runTool(const std::string& words, const std::string& folder, HANDLE out, HANDLE err)
{
    std::wstring line = L"\"" + wide(inFolder(programFolder(), "quarvel-cfg.exe")) + L"\" " + wide(words);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, wide(folder).c_str(), &startup,
                          &info))
        return -1;
    ::CloseHandle(info.hThread);
    DWORD code = 0;
    const bool ended = ::WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ended)
        ::TerminateProcess(info.hProcess, 99);
    ::GetExitCodeProcess(info.hProcess, &code);
    ::CloseHandle(info.hProcess);
    return ended ? static_cast<long long>(code) : -1;
}

// A screen buffer of a console that started programs write to and the test
// reads back. The test's own console serves where it has one that works;
// otherwise (a program that Wine started without a display has a console
// that cannot make screen buffers) it takes a new one for the test's time.
class TestConsole {
  public:
    TestConsole()
    {
        if (fresh())
            return;
        for (const DWORD which : kStandard)
            m_standard.push_back(::GetStdHandle(which));
        ::FreeConsole();
        m_allocated = ::AllocConsole() != 0;
        fresh();
    }
    ~TestConsole()
    {
        ::CloseHandle(m_screen);
        if (m_allocated)
            ::FreeConsole();
        for (std::size_t i = 0; i < m_standard.size(); ++i)
            ::SetStdHandle(kStandard[i], m_standard[i]);
    }

    // A new, empty screen buffer; false when the console cannot make one.
    bool fresh()
    {
        ::CloseHandle(m_screen);
        m_screen = ::CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                               &inheritable, CONSOLE_TEXTMODE_BUFFER, nullptr);
        DWORD mode = 0;
        return ::GetConsoleMode(m_screen, &mode) != 0;
    }
    HANDLE screen() const { return m_screen; }
    // The characters of the first row, without the blanks at its end.
    std::wstring firstRow() const
    {
        std::wstring text(200, L' ');
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW(m_screen, text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
        text.resize(read);
        return text.erase(text.find_last_not_of(L' ') + 1);
    }

  private:
    static constexpr DWORD kStandard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
    bool m_allocated = false;
    std::vector<HANDLE> m_standard;
    HANDLE m_screen = INVALID_HANDLE_VALUE;
};

std::string withoutLineEnd(std::string text)
{
    return text.erase(text.find_last_not_of("\r\n") + 1);
}

} // namespace

TEST(WinCommandLine, WordsAndFileNamesArriveAsTyped)
{
    TempDir dir;
    const std::string fresh = readBytes(goldenPath("fresh.cfg"));
    std::string withValue = fresh;
    const std::string placeholder = "Text = <your institution>";
    ASSERT_NE(withValue.find(placeholder), std::string::npos);
    withValue.replace(withValue.find(placeholder), placeholder.size(), "Text = K\xF6ln"); // Windows-1252

    // In order, in one folder; names relative to it, as a user types them.
    struct Row {
        std::string words;
        long long status;
        std::vector<std::pair<std::string, std::string>> files; // name, bytes
        std::string out;                                        // standard output without its line end
        std::string errHas;
    };
    const std::vector<Row> rows = {
        {"defaults Łódź.cfg", 0, {{"Łódź.cfg", fresh}}, "", ""},
        {"get Łódź.cfg Encoding", 0, {}, "Windows-1252", ""},
        {"set Łódź.cfg Text=Köln", 0, {{"Łódź.cfg", withValue}, {"Łódź.bak", fresh}}, "", ""},
        {"get Łódź.cfg Text", 0, {}, "Köln", ""},
        {"get \"Łódź.cfg\" Text", 0, {}, "Köln", ""},
        {"normalize Łódź.cfg Ωμέγα.cfg", 0, {{"Ωμέγα.cfg", withValue}}, "", ""},
        {"normalize Łódź.cfg Ωμέγα.cfg", 0, {{"Ωμέγα.bak", withValue}}, "", ""},
        {"defaults 東京.cfg", 0, {{"東京.cfg", fresh}}, "", ""},
        {"set 東京.cfg Encoding=UTF-8 Text=東京", 0, {{"東京.bak", fresh}}, "", ""},
        {"get 東京.cfg Text", 0, {}, "東京", ""},
        {"get 大阪.cfg Text", 2, {}, "", windowsFileErrorMessage(ERROR_FILE_NOT_FOUND, "大阪.cfg")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.words);
        const OutputFile out(inFolder(dir.path(), "out.txt"));
        const OutputFile err(inFolder(dir.path(), "err.txt"));
        EXPECT_EQ(runTool(row.words, dir.path(), out.handle(), err.handle()), row.status) << err.bytes();
        for (const auto& [name, bytes] : row.files)
            EXPECT_EQ(readNamed(dir.path(), name), bytes) << name;
        if (!row.out.empty()) {
            EXPECT_EQ(withoutLineEnd(out.bytes()), row.out);
        }
        if (!row.errHas.empty()) {
            EXPECT_NE(err.bytes().find(row.errHas), std::string::npos) << err.bytes();
        }
    }
}

TEST(WinCommandLine, ConsoleShowsTheCharacters)
{
    TestConsole console;
    if (!console.fresh())
        GTEST_SKIP() << "no console could be made (error " << ::GetLastError()
                     << "); Wine without a display needs its null graphics driver, as tools/test-windows.sh sets";

    // The stream buffer: whole characters, characters split between two
    // writes, and bytes that are no UTF-8.
    const struct {
        std::vector<std::string> pieces;
        std::wstring shown;
    } writes[] = {
        {{"Köln Łódź 東京 𝄞"}, L"Köln Łódź 東京 𝄞"},
        {{"K\xC3", "\xB6ln \xE6", "\x9D", "\xB1 \xF0\x9D", "\x84\x9E"}, L"Köln 東 𝄞"},
        {{"K\xF6ln"}, L"K\uFFFDln"},
    };
    for (const auto& write : writes) {
        console.fresh();
        {
            WinConsoleBuf buffer(console.screen());
            std::ostream stream(&buffer);
            for (const std::string& piece : write.pieces)
                stream << piece << std::flush;
            EXPECT_TRUE(stream.good());
        }
        EXPECT_EQ(console.firstRow(), write.shown) << write.pieces.front();
    }

    // quarvel-cfg.exe itself, its output and its errors on the console.
    TempDir dir;
    const OutputFile log(inFolder(dir.path(), "log.txt"));
    ASSERT_EQ(runTool("defaults Łódź.cfg", dir.path(), log.handle(), log.handle()), 0) << log.bytes();
    ASSERT_EQ(runTool("set Łódź.cfg Text=Köln", dir.path(), log.handle(), log.handle()), 0) << log.bytes();
    console.fresh();
    EXPECT_EQ(runTool("get Łódź.cfg Text", dir.path(), console.screen(), log.handle()), 0);
    EXPECT_EQ(console.firstRow(), L"Köln");
    console.fresh();
    EXPECT_EQ(runTool("get 大阪.cfg Text", dir.path(), log.handle(), console.screen()), 2);
    EXPECT_NE(console.firstRow().find(L"大阪.cfg"), std::wstring::npos);
}

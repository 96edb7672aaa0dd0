// Load and save of generated configurations with N printers, N paper sizes
// and N header bitmaps (3 N sections; N = 3334 makes a file of about 10,000
// sections). Both must grow linearly with N. libinih parses the same file in
// the same run as the yardstick: a general INI parser that keeps nothing.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ini.h>
#include <string>
#include <unistd.h>

#include "config/ConfigFormatter.h"
#include "config/ConfigReader.h"
#include "config/Configuration.h"
#include "config/ReaderFindings.h"

namespace {

void fill(Configuration& c, int n)
{
    for (int i = 0; i < n; ++i) {
        PrinterRecord printer;
        printer.PrinterAETitle = "PRINTER" + std::to_string(i);
        printer.PrinterAddress = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250);
        printer.PrinterQueue = "queue";
        c.Printers.add(printer);
        PaperRecord paper;
        paper.Name = "Paper " + std::to_string(i);
        paper.SizeX = 595;
        paper.SizeY = 842;
        paper.HeaderName = "HEADER" + std::to_string(i);
        c.Papers.add(paper);
        c.Headers.add(HeaderRecord{"HEADER" + std::to_string(i), "header.bmp"});
    }
}

std::string tempPath(const char* what, int n)
{
    return "/tmp/quarvel-bench-" + std::to_string(::getpid()) + "-" + what + "-" + std::to_string(n) + ".cfg";
}

// A file the writer wrote for N, removed when the benchmark ends.
class BenchFile {
  public:
    BenchFile(const char* what, int n) : m_path(tempPath(what, n))
    {
        Configuration source;
        fill(source, n);
        std::string message;
        std::remove(m_path.c_str());
        source.saveToFile(m_path, message);
        if (std::FILE* file = std::fopen(m_path.c_str(), "rb")) {
            std::fseek(file, 0, SEEK_END);
            m_size = std::ftell(file);
            std::fclose(file);
        }
    }
    ~BenchFile() { std::remove(m_path.c_str()); }
    BenchFile(const BenchFile&) = delete;
    BenchFile& operator=(const BenchFile&) = delete;

    const std::string& path() const { return m_path; }
    long size() const { return m_size; }

  private:
    std::string m_path;
    long m_size = 0;
};

void BM_Load(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const BenchFile file("load", n);
    for (auto _ : state) {
        Configuration c;
        std::string message;
        benchmark::DoNotOptimize(c.loadFromFile(file.path(), message));
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(n);
}

// The same clean file, noting what a save would not keep (nothing): the
// check and the editor read this way.
void BM_LoadWithFindings(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const BenchFile file("findings", n);
    for (auto _ : state) {
        Configuration c;
        ReaderFindings findings;
        std::string message;
        benchmark::DoNotOptimize(c.loadFromFile(file.path(), message, &findings));
        if (!findings.empty())
            state.SkipWithError("a clean file has findings");
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(n);
}

// A text whose every section holds a comment, an unknown key and a value
// read as another: findings grow with the file, and stay linear.
void BM_ReadManyFindings(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::string text = "[[[CONFIGURATION]]]\n[[PAGE SIZE]]\n";
    for (int i = 0; i < n; ++i)
        text += "[Paper " + std::to_string(i) + "]\n; note\nColour = red\nSizeX = 595pt\nSizeY = 842\n";
    std::size_t count = 0;
    for (auto _ : state) {
        Configuration c;
        ReaderFindings findings;
        ConfigReader(c, &findings).readText(text);
        count = findings.size();
    }
    if (count != 3 * static_cast<std::size_t>(n))
        state.SkipWithError("unexpected number of findings");
    state.SetBytesProcessed(state.iterations() * static_cast<long>(text.size()));
    state.SetComplexityN(n);
}

int countKey(void* user, const char*, const char*, const char*)
{
    ++*static_cast<long*>(user);
    return 1;
}

// The same bytes through libinih, counting the key lines.
void BM_InihParse(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const BenchFile file("inih", n);
    for (auto _ : state) {
        long keys = 0;
        benchmark::DoNotOptimize(ini_parse(file.path().c_str(), countKey, &keys));
        benchmark::DoNotOptimize(keys);
    }
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(n);
}

// What quarvel-cfg normalize does: load, then save beside it.
void BM_LoadAndSave(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const BenchFile file("normalize-in", n);
    const std::string out = tempPath("normalize-out", n);
    for (auto _ : state) {
        Configuration c;
        std::string message;
        benchmark::DoNotOptimize(c.loadFromFile(file.path(), message));
        std::remove(out.c_str()); // no backups pile up between iterations
        benchmark::DoNotOptimize(c.saveToFile(out, message));
    }
    std::remove(out.c_str());
    state.SetBytesProcessed(state.iterations() * file.size());
    state.SetComplexityN(n);
}

void BM_Save(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string path = tempPath("save", n);
    Configuration c;
    fill(c, n);
    for (auto _ : state) {
        std::string message;
        std::remove(path.c_str()); // no backups pile up between iterations
        benchmark::DoNotOptimize(c.saveToFile(path, message));
    }
    std::remove(path.c_str());
    state.SetComplexityN(n);
}

void BM_Format(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    Configuration c;
    fill(c, n);
    for (auto _ : state)
        benchmark::DoNotOptimize(formatConfiguration(c));
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_Load)->Arg(100)->Arg(1000)->Arg(3334)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadWithFindings)->Arg(100)->Arg(1000)->Arg(3334)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ReadManyFindings)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_InihParse)->Arg(100)->Arg(1000)->Arg(3334)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_LoadAndSave)->Arg(100)->Arg(1000)->Arg(3334)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Save)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Format)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

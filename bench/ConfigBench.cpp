// Load and save of generated configurations with N printers, N paper sizes
// and N header bitmaps. Both must grow linearly with N.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "config/ConfigFormatter.h"
#include "config/Configuration.h"

namespace {

void Fill(CConfiguration& c, int n)
{
    for (int i = 0; i < n; ++i) {
        sPrinter printer;
        printer.PrinterAETitle = "PRINTER" + std::to_string(i);
        printer.PrinterAddress = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250);
        printer.PrinterQueue = "queue";
        c.Printers.Add(printer);
        sPaper paper;
        paper.Name = "Paper " + std::to_string(i);
        paper.SizeX = 595;
        paper.SizeY = 842;
        paper.HeaderName = "HEADER" + std::to_string(i);
        c.Papers.Add(paper);
        c.Headers.Add(sHeader{"HEADER" + std::to_string(i), "header.bmp"});
    }
}

std::string TempPath(const char* what, int n)
{
    return "/tmp/quarvel-bench-" + std::to_string(::getpid()) + "-" + what + "-" + std::to_string(n) + ".cfg";
}

void BM_Load(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string path = TempPath("load", n);
    {
        CConfiguration source;
        Fill(source, n);
        std::string message;
        std::remove(path.c_str());
        source.SaveToFile(path, message);
    }
    for (auto _ : state) {
        CConfiguration c;
        std::string message;
        benchmark::DoNotOptimize(c.LoadFromFile(path, message));
    }
    std::remove(path.c_str());
    state.SetComplexityN(n);
}

void BM_Save(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::string path = TempPath("save", n);
    CConfiguration c;
    Fill(c, n);
    for (auto _ : state) {
        std::string message;
        std::remove(path.c_str()); // no backups pile up between iterations
        benchmark::DoNotOptimize(c.SaveToFile(path, message));
    }
    std::remove(path.c_str());
    state.SetComplexityN(n);
}

void BM_Format(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    CConfiguration c;
    Fill(c, n);
    for (auto _ : state)
        benchmark::DoNotOptimize(FormatConfiguration(c));
    state.SetComplexityN(n);
}

} // namespace

BENCHMARK(BM_Load)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Save)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_Format)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

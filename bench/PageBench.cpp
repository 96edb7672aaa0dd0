// Activating the Printer and Paper pages with N printers, N papers and N
// header bitmaps, under the offscreen platform. The lists are views over the
// record lists, so an activation should cost the same for any N.
#include <QApplication>
#include <QUndoStack>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

#include "config/Configuration.h"
#include "diagnostics/PrinterDiagnostics.h"
#include "pages/PageHost.h"
#include "pages/PaperPage.h"
#include "pages/PrinterPage.h"
#include "ui/Interaction.h"
#include "ui/PropertyPage.h"
#include "ui/PropertySheet.h"

namespace {

class BenchHost : public PageHost {
  public:
    Configuration& configuration() override { return config; }
    Interaction& interaction() override { return ui; }
    PrinterTestEnvironment& diagnostics() override { return PrinterTestEnvironment::system(); }
    bool apply() override { return true; }
    bool confirmClose() override { return true; }
    void checkMustRunAgain() override {}
    QUndoStack& undoStack() override { return history; }
    void configurationRestored() override {}

    Configuration config;
    QUndoStack history;
    QtInteraction ui;
};

void fill(Configuration& c, int n)
{
    for (int i = 0; i < n; ++i) {
        PrinterRecord printer;
        printer.PrinterAETitle = "PRINTER" + std::to_string(i);
        printer.Description = "Printer on ward " + std::to_string(i);
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

// One shown sheet with the page and an empty neighbour; each iteration
// activates the page (and leaves it again, untimed).
template <typename Page> void BM_Activate(benchmark::State& state)
{
    BenchHost host;
    fill(host.config, static_cast<int>(state.range(0)));
    PropertySheet sheet;
    auto* page = new Page(host, &sheet);
    sheet.addPage(new PropertyPage(&sheet), QStringLiteral("Other"));
    sheet.addPage(page, QStringLiteral("Page"));
    sheet.show();
    QApplication::processEvents();
    for (auto _ : state) {
        sheet.setActivePage(1);
        QApplication::processEvents(); // the first paint of the visible rows
        state.PauseTiming();
        sheet.setActivePage(0);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(state.range(0)) + " rows");
}

BENCHMARK_TEMPLATE(BM_Activate, PrinterPage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Activate, PaperPage)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

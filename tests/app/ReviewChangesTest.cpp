// Review Changes and Show Changes: the changes of content a save makes,
// with a change of line ends told once in the summary.
#include <QLabel>
#include <QPlainTextEdit>
#include <algorithm>

#include "GuiFixture.h"
#include "TestSupport.h"
#include "config/ConfigFormatter.h"

namespace {

PaperRecord paper(const char* name, int sizeX, int skip, int offsetX)
{
    PaperRecord record;
    record.Name = name;
    record.SizeX = sizeX;
    record.SizeY = 842;
    record.SkipX = record.SkipY = skip;
    record.OffsetX = offsetX;
    return record;
}

// A configuration as the editor writes it, with a comment added by hand:
// FILM14X17 and B5 end in the same lines.
std::string siteFile()
{
    Configuration c;
    PrinterRecord printer;
    printer.PrinterAETitle = "LASER";
    printer.PrinterAddress = "10.0.0.5";
    printer.PrinterQueue = "lp";
    c.Printers.add(printer);
    c.Papers.add(paper("FILM14X17", 1008, 20, 10));
    c.Papers.add(paper("B5", 499, 20, 10));
    c.Papers.add(paper("A4", 595, 0, 0));
    c.Layout.PageSize = "A4";
    return "; by hand\r\n" + formatConfiguration(c);
}

std::string withLf(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.erase(at, 1);
    return text;
}

// The lines of text from the one that begins with from up to the next
// section header, each marked with mark.
QString sectionMarked(const std::string& text, const std::string& from, char mark)
{
    const std::size_t begin = text.find("\n" + from) + 1, end = text.find("\n[", begin) + 1;
    QStringList lines = QString::fromStdString(withLf(text.substr(begin, end - begin))).split(QLatin1Char('\n'));
    lines.removeLast(); // after the last line end
    QString marked;
    for (const QString& line : lines)
        marked += QLatin1Char(mark) + line + QLatin1Char('\n');
    return marked;
}

} // namespace

TEST_F(SheetTest, ReviewChangesShowsTheChangesOfContentAndTellsOfLineEndsOnce)
{
    const std::string crlf = siteFile();
    const auto lines = static_cast<int>(std::count(crlf.begin(), crlf.end(), '\n'));
    const struct {
        const char* name;
        std::string file;
        void (*edit)(Configuration&);
        QString summary;
        QString shows;
    } rows[] = {
        {"LF file, a value changed", withLf(crlf), [](Configuration& c) { c.Printers.at(0)->PrinterQueue = "raw"; },
         // All but the comment dropped and the line changed.
         QStringLiteral("What a save would change: line endings change (LF → CR LF, %1 lines), 2 lines changed.")
             .arg(lines - 2),
         "\n-PrinterQueue = lp\n+PrinterQueue = raw\n"},
        {"a paper deleted", crlf, [](Configuration& c) { c.Papers.remove("B5"); },
         "What a save would change: 12 lines changed, 1 paper size removed.", sectionMarked(crlf, "[B5]", '-')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        writeBytes(dir.file("site.cfg"), row.file);
        sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
        sheet->show();
        ui.messages.clear();
        startLoad(QString::fromStdString(dir.file("site.cfg")));
        row.edit(config());
        QString summary, diff;
        ui.modalHandlers.push_back([&](QDialog& dialog) {
            summary = child<QLabel>(dialog, "summary")->text();
            diff = child<QPlainTextEdit>(dialog, "diffText")->toPlainText() + QLatin1Char('\n');
            dialog.reject();
        });
        sheet->reviewChanges();
        EXPECT_EQ(summary, row.summary);
        EXPECT_TRUE(diff.contains(row.shows)) << diff.toStdString();
    }
}

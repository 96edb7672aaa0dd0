// The least a window of five tabs costs as a whole process: a QTabWidget
// with five empty tabs, shown, painted and closed as `quarvel --smoke` does
// with the editor's window (bench/compare-processes.sh times both).
#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTabWidget tabs;
    for (int i = 1; i <= 5; ++i)
        tabs.addTab(new QWidget, QStringLiteral("Page %1").arg(i));
    tabs.show();
    int status = 1;
    QTimer::singleShot(0, &tabs, [&] {
        const bool shown = tabs.isVisible() && !tabs.grab().isNull();
        std::fputs(shown ? "bare_window: the window was shown\n" : "bare_window: no window\n", stderr);
        status = shown ? 0 : 1;
        tabs.close();
    });
    application.exec();
    return status;
}

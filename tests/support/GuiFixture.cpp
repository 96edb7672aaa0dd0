#include "GuiFixture.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include "pages/StartPage.h"

int RecordingServer::terminateProcessesByName(const std::string& name, bool all)
{
    calls.push_back("terminate " + name + (all ? " all" : " first"));
    return 0;
}

bool RecordingServer::startScript(const std::string& name, const std::string& directory)
{
    calls.push_back("start " + name + " in " + directory);
    return true;
}

void SheetTest::SetUp()
{
    sheet = std::make_unique<MainSheet>(AppServices{ui, server, diagnostics});
    sheet->show();
}

void SheetTest::TearDown()
{
    const bool visible = sheet->isVisible();
    sheet.reset();
    for (QWidget* widget : QApplication::topLevelWidgets())
        EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->windowTitle().toStdString();
    (void)visible;
    EXPECT_TRUE(ui.answers.empty()) << "unused Yes/No answers";
    EXPECT_TRUE(ui.modalHandlers.empty()) << "unused dialog handlers";
}

void SheetTest::startNew()
{
    ui.modalHandlers.push_back(clickButton("newButton"));
    sheet->startPageWidget()->onManualConfiguration();
}

void SheetTest::startLoad(const QString& path)
{
    ui.modalHandlers.push_back(clickButton("loadButton"));
    ui.openResults.push_back(path);
    sheet->startPageWidget()->onManualConfiguration();
}

void SheetTest::saveAndExit()
{
    sheet->okButton()->click();
}

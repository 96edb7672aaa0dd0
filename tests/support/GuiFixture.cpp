#include "GuiFixture.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

#include "app/Page0Start.h"

int RecordingServer::TerminateProcessesByName(const std::string& name, bool all)
{
    calls.push_back("terminate " + name + (all ? " all" : " first"));
    return 0;
}

bool RecordingServer::StartScript(const std::string& name, const std::string& directory)
{
    calls.push_back("start " + name + " in " + directory);
    return true;
}

void SheetTest::SetUp()
{
    sheet = std::make_unique<CQuarvel>(AppServices{ui, server, diagnostics});
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

void SheetTest::StartNew()
{
    ui.modalHandlers.push_back(ClickButton("newButton"));
    sheet->StartPageWidget()->OnManualConfiguration();
}

void SheetTest::StartLoad(const QString& path)
{
    ui.modalHandlers.push_back(ClickButton("loadButton"));
    ui.openResults.push_back(path);
    sheet->StartPageWidget()->OnManualConfiguration();
}

void SheetTest::SaveAndExit()
{
    sheet->okButton()->click();
}

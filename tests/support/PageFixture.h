#pragma once

#include <QApplication>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <memory>

#include "Fakes.h"
#include "TestSupport.h"
#include "config/Configuration.h"
#include "pages/ConfigPage.h"
#include "pages/PageHost.h"
#include "ui/Fields.h"
#include "ui/PropertyPage.h"
#include "ui/PropertySheet.h"

// A host that gives a page its own record and counts what the page asks of
// it, instead of the whole main window.
class FakePageHost : public PageHost {
  public:
    FakePageHost(Interaction& interaction, PrinterTestEnvironment& diagnostics)
        : m_interaction(interaction), m_diagnostics(diagnostics)
    {
    }

    Configuration& configuration() override { return *record; }
    Interaction& interaction() override { return m_interaction; }
    PrinterTestEnvironment& diagnostics() override { return m_diagnostics; }
    bool apply() override
    {
        ++applies;
        return true;
    }
    bool confirmClose() override
    {
        ++closeRequests;
        return true;
    }
    void checkMustRunAgain() override { ++checkResets; }
    QUndoStack& undoStack() override { return history; }
    // As the main window does: the page shown shows the record again.
    void configurationRestored() override
    {
        if (auto* page = sheet ? qobject_cast<ConfigPage*>(sheet->activePage()) : nullptr)
            page->reload();
    }

    std::unique_ptr<Configuration> record = std::make_unique<Configuration>();
    int applies = 0;
    int closeRequests = 0;
    int checkResets = 0;
    QUndoStack history;
    PropertySheet* sheet = nullptr;

  private:
    Interaction& m_interaction;
    PrinterTestEnvironment& m_diagnostics;
};

// One page under test in a bare tabbed sheet beside an empty page, so that
// it can be left and activated again. Fill config() before open().
template <typename Page> class PageTest : public ::testing::Test {
  protected:
    static constexpr int kThisPage = 0;
    static constexpr int kOtherPage = 1;

    void open()
    {
        sheet = std::make_unique<PropertySheet>();
        host.sheet = sheet.get();
        page = new Page(host, sheet.get());
        sheet->addPage(page, QStringLiteral("Page"));
        sheet->addPage(new PropertyPage(sheet.get()), QStringLiteral("Other"));
        sheet->show();
    }
    void TearDown() override
    {
        sheet.reset();
        host.sheet = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            EXPECT_FALSE(widget->isVisible()) << "left open: " << widget->windowTitle().toStdString();
        EXPECT_TRUE(ui.answers.empty()) << "unused Yes/No answers";
        EXPECT_TRUE(ui.modalHandlers.empty()) << "unused dialog handlers";
    }

    bool leave() { return sheet->setActivePage(kOtherPage); }
    bool activate() { return sheet->setActivePage(kThisPage); }
    int activePage() const { return sheet->activeIndex(); }
    Configuration& config() { return *host.record; }

    // Leaves the page, writes the record to a file and reads it into a fresh
    // record, then shows the page again: what the page stored survives the
    // file both ways.
    void leaveSaveLoadAndActivate()
    {
        ASSERT_TRUE(leave());
        TempDir dir;
        std::string message;
        ASSERT_TRUE(config().saveToFile(dir.file("page.cfg"), message)) << message;
        host.record = std::make_unique<Configuration>();
        ASSERT_TRUE(config().loadFromFile(dir.file("page.cfg"), message)) << message;
        ASSERT_TRUE(activate());
    }

    ScriptedInteraction ui;
    FakeDiagnostics diagnostics;
    FakePageHost host{ui, diagnostics};
    std::unique_ptr<PropertySheet> sheet;
    Page* page = nullptr;
};

#include "wizard/WizardSummaryPage.h"

#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizardSummaryPage.h"

WizardSummaryPage::WizardSummaryPage(ConfigurationWizard& wizard)
    : WizardPage(wizard, true, true), m_ui(std::make_unique<Ui::WizardSummaryPage>())
{
    m_ui->setupUi(content());
    setFinalPage(true);
    // Tab stops every eight characters, as in a plain edit control.
    m_ui->summary->setTabStopDistance(8 * m_ui->summary->fontMetrics().horizontalAdvance(QLatin1Char('x')));
}

WizardSummaryPage::~WizardSummaryPage() = default;

void WizardSummaryPage::onSetActive()
{
    WizardPage::onSetActive();
    m_ui->summary->setPlainText(toQt(buildWizardSummary(result())));
    QTextCursor cursor = m_ui->summary->textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::Start);
    m_ui->summary->setTextCursor(cursor);
    m_ui->summary->ensureCursorVisible();
}

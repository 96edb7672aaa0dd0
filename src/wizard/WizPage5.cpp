#include "wizard/WizPage5.h"

#include "config/WizardResult.h"
#include "ui/Fields.h"
#include "ui_WizPage5.h"

CWizPage5::CWizPage5(CConfigurationWizard& wizard)
    : CWizardPageBase(wizard, true, true), m_ui(std::make_unique<Ui::CWizPage5>())
{
    m_ui->setupUi(Content());
    setFinalPage(true);
    // Tab stops every eight characters, as in a plain edit control.
    m_ui->summary->setTabStopDistance(8 * m_ui->summary->fontMetrics().horizontalAdvance(QLatin1Char('x')));
}

CWizPage5::~CWizPage5() = default;

void CWizPage5::onSetActive()
{
    CWizardPageBase::onSetActive();
    m_ui->summary->setPlainText(ToQt(BuildWizardSummary(Result())));
    QTextCursor cursor = m_ui->summary->textCursor();
    cursor.clearSelection();
    cursor.movePosition(QTextCursor::Start);
    m_ui->summary->setTextCursor(cursor);
    m_ui->summary->ensureCursorVisible();
}

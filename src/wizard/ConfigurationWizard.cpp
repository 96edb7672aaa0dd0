#include "wizard/ConfigurationWizard.h"

#include "ui/Interaction.h"
#include "ui/ScreenFit.h"
#include "wizard/WizPage1.h"
#include "wizard/WizPage2.h"
#include "wizard/WizPage3.h"
#include "wizard/WizPage4.h"
#include "wizard/WizPage5.h"
#include "wizard/WizardFinishDlg.h"

namespace {

// At least this much: the widest page with the picture beside it.
constexpr QSize kPreferredWizardSize(680, 400);

} // namespace

CConfigurationWizard::CConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                           QWidget* owner)
    : QWizard(owner), m_interaction(interaction), m_diagnostics(diagnostics)
{
    setObjectName(QStringLiteral("configurationWizard"));
    setWindowTitle(QStringLiteral("Configuration Wizard"));
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::HaveHelpButton, false);
    setOption(QWizard::NoBackButtonOnStartPage, false);
    setModal(true);
    // The buttons stand in the order Tab visits them, on every desktop.
    setButtonLayout(
        {QWizard::Stretch, QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton});
    setPage(NamePage, new CWizPage1(*this));
    setPage(PrinterPage, new CWizPage2(*this));
    setPage(PaperPage, new CWizPage3(*this));
    setPage(ServerPage, new CWizPage4(*this));
    setPage(SummaryPage, new CWizPage5(*this));
    connect(this, &QWizard::currentIdChanged, this, &CConfigurationWizard::OnPageChanged);
}

QSize CConfigurationWizard::sizeHint() const
{
    // Room for the largest page, not only the current one, so that the
    // wizard keeps its size from page to page.
    QSize hint = QWizard::sizeHint();
    if (const QWizardPage* shown = currentPage()) {
        const QSize around = hint - shown->sizeHint();
        for (int id : pageIds())
            hint = hint.expandedTo(page(id)->sizeHint() + around);
    }
    return hint.expandedTo(kPreferredWizardSize);
}

void CConfigurationWizard::showEvent(QShowEvent* event)
{
    if (!m_fitted)
        ResizeToScreen(this);
    QWizard::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        KeepOnScreen(this);
    }
}

void CConfigurationWizard::OnPageChanged(int id)
{
    if (auto* page = dynamic_cast<CWizardPageBase*>(this->page(id)))
        page->onSetActive();
}

std::optional<WizardOutcome> RunConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                                    QWidget* owner)
{
    CConfigurationWizard wizard(interaction, diagnostics, owner);
    if (interaction.runModal(wizard) != QDialog::Accepted)
        return std::nullopt;

    WizardOutcome outcome;
    outcome.answers = wizard.Result();
    CWizardFinishDlg finish(owner);
    finish.Message = QStringLiteral("Do you want to save the settings and close the quarvel or do you want to "
                                    "proceed to be able to change more settings manually?");
    outcome.finish =
        interaction.runModal(finish) == QDialog::Accepted ? WizardFinish::SaveAndExit : WizardFinish::Proceed;
    return outcome;
}

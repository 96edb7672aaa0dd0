#include "wizard/ConfigurationWizard.h"

#include "ui/Interaction.h"
#include "ui/ScreenFit.h"
#include "wizard/WizardDicomPage.h"
#include "wizard/WizardFinishDialog.h"
#include "wizard/WizardLayoutPage.h"
#include "wizard/WizardNamePage.h"
#include "wizard/WizardPrinterPage.h"
#include "wizard/WizardSummaryPage.h"

namespace {

// At least this much: the widest page with the picture beside it.
constexpr QSize kPreferredWizardSize(680, 400);

} // namespace

ConfigurationWizard::ConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                         TextEncoding encoding, QWidget* owner)
    : QWizard(owner), m_interaction(interaction), m_diagnostics(diagnostics), m_encoding(encoding)
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
    setPage(NamePage, new WizardNamePage(*this));
    setPage(PrinterPage, new WizardPrinterPage(*this));
    setPage(PaperPage, new WizardLayoutPage(*this));
    setPage(ServerPage, new WizardDicomPage(*this));
    setPage(SummaryPage, new WizardSummaryPage(*this));
    connect(this, &QWizard::currentIdChanged, this, &ConfigurationWizard::onPageChanged);
}

QSize ConfigurationWizard::sizeHint() const
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

void ConfigurationWizard::showEvent(QShowEvent* event)
{
    if (!m_fitted)
        resizeToScreen(this);
    QWizard::showEvent(event);
    if (!m_fitted) {
        m_fitted = true;
        keepOnScreen(this);
    }
}

void ConfigurationWizard::onPageChanged(int id)
{
    if (auto* page = dynamic_cast<WizardPage*>(this->page(id)))
        page->onSetActive();
}

std::optional<WizardOutcome> runConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                                    TextEncoding encoding, QWidget* owner)
{
    ConfigurationWizard wizard(interaction, diagnostics, encoding, owner);
    if (interaction.runModal(wizard) != QDialog::Accepted)
        return std::nullopt;

    WizardOutcome outcome;
    outcome.answers = wizard.result();
    WizardFinishDialog finish(owner);
    finish.Message = QStringLiteral("Do you want to save the settings and close the quarvel or do you want to "
                                    "proceed to be able to change more settings manually?");
    outcome.finish =
        interaction.runModal(finish) == QDialog::Accepted ? WizardFinish::SaveAndExit : WizardFinish::Proceed;
    return outcome;
}

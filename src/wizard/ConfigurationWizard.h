#pragma once

#include "config/TextEncoding.h"

#include <QWizard>

#include "config/WizardResult.h"

#include <optional>

class WizardPage;
class Interaction;
class PrinterTestEnvironment;

// "Configuration Wizard": five pages that fill one WizardResult.
class ConfigurationWizard : public QWizard {
    Q_OBJECT
  public:
    enum PageId { NamePage, PrinterPage, PaperPage, ServerPage, SummaryPage };

    // The texts typed are encoded in encoding, the configuration's.
    ConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics, TextEncoding encoding,
                        QWidget* owner);

    // Room for the widest page with the picture beside it, as far as the
    // screen allows; beyond that the pages scroll.
    QSize sizeHint() const override;

    WizardResult& result() { return m_result; }
    Interaction& interaction() const { return m_interaction; }
    PrinterTestEnvironment& diagnostics() const { return m_diagnostics; }
    TextEncoding textEncoding() const { return m_encoding; }

  protected:
    // Fits the wizard to its screen's free area when it opens.
    void showEvent(QShowEvent* event) override;

  private:
    void onPageChanged(int id);

    Interaction& m_interaction;
    PrinterTestEnvironment& m_diagnostics;
    TextEncoding m_encoding;
    WizardResult m_result;
    bool m_fitted = false;
};

// What the user chose after a finished wizard: "Save and Exit" or
// "Proceed" to the configuration pages.
enum class WizardFinish { SaveAndExit, Proceed };

struct WizardOutcome {
    WizardResult answers;
    WizardFinish finish = WizardFinish::Proceed;
};

// Runs the wizard and, when it was finished, the question that follows it.
// Nothing when the wizard was cancelled. The caller applies the answers.
std::optional<WizardOutcome> runConfigurationWizard(Interaction& interaction, PrinterTestEnvironment& diagnostics,
                                                    TextEncoding encoding, QWidget* owner);

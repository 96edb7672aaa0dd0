#pragma once

#include <memory>
#include <string>

#include "config/Records.h"
#include "pages/ConfigPage.h"
#include "ui/Bindings.h"
#include "ui/ValueExchange.h"

namespace Ui {
class DicomPage;
}

// "DICOM": the server's name, service classes, compatibility switches,
// session defaults, PostScript switches and port. Values come from the
// record on activation and go back when the page is left.
class DicomPage : public ConfigPage, public ValueExchange {
    Q_OBJECT
  public:
    explicit DicomPage(PageHost& host, QWidget* parent = nullptr);
    ~DicomPage() override;

    void onSetActive() override;
    bool onKillActive() override;
    void commitEdits() override;

    bool readControls() override;
    void showValues() override;

    // C-ECHO to the server on this machine, at the port shown, for its AE
    // title and each printer's; the results in a message box.
    void onVerifyServer();

  private:
    // The configuration takes values, as a change Undo can take back.
    void keep(const DicomSettings& values);

    std::unique_ptr<Ui::DicomPage> m_ui;
    // The settings as shown, kept while the page is; the record gets them
    // when the page is left.
    DicomSettings m_values;
    Bindings<DicomSettings> m_bindings;
};

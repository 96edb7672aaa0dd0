#pragma once

#include <memory>
#include <string>

#include "pages/ConfigPage.h"
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
    // The port's upper bound: the highest TCP port.
    static constexpr int kMaxPort = 65535;
    static constexpr int kMaxCopies = 1000;

    explicit DicomPage(PageHost& host, QWidget* parent = nullptr);
    ~DicomPage() override;

    void onSetActive() override;
    bool onKillActive() override;

    bool readControls() override;
    void showValues() override;

    // C-ECHO to the server on this machine, at the port shown, for its AE
    // title and each printer's; the results in a message box.
    void onVerifyServer();

  private:
    std::unique_ptr<Ui::DicomPage> m_ui;

    std::string m_printerName;
    bool m_acceptGrayscale = false, m_acceptColor = false, m_supportAnnotations = false, m_supportPrintJob = false;
    int m_copies = 0;
    int m_priority = 0, m_medium = 0, m_destination = 0;
    std::string m_sessionLabel;
    bool m_useCmyk = false, m_printGrayscale = false;
    bool m_lenientMode = false, m_ignoreMagnification = false, m_ignoreConfiguration = false,
         m_ignoreAnnotationFormat = false, m_skipImagePixel = false;
    int m_port = 0;
};

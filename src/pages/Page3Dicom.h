#pragma once

#include <memory>
#include <string>

#include "pages/QuarvelPage.h"
#include "ui/ValueExchange.h"

namespace Ui {
class CPage3Dicom;
}

// "DICOM": the server's name, service classes, compatibility switches,
// session defaults, PostScript switches and port. Values come from the
// record on activation and go back when the page is left.
class CPage3Dicom : public CQuarvelPage, public ValueExchange {
    Q_OBJECT
  public:
    // The port's upper bound: the highest TCP port.
    static constexpr int kMaxPort = 65535;

    explicit CPage3Dicom(PageHost& host, QWidget* parent = nullptr);
    ~CPage3Dicom() override;

    void onSetActive() override;
    bool onKillActive() override;

    bool ReadControls() override;
    void ShowValues() override;

  private:
    std::unique_ptr<Ui::CPage3Dicom> m_ui;

    std::string m_printerName;
    int m_acceptGrayscale = 0, m_acceptColor = 0, m_supportAnnotations = 0, m_supportPrintJob = 0;
    int m_copies = 0;
    int m_priority = 0, m_medium = 0, m_destination = 0;
    std::string m_sessionLabel;
    int m_useCmyk = 0, m_printGrayscale = 0;
    int m_lenientMode = 0, m_ignoreMagnification = 0, m_ignoreConfiguration = 0, m_ignoreAnnotationFormat = 0,
        m_skipImagePixel = 0;
    int m_port = 0;
};

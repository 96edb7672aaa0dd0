#pragma once

#include <memory>
#include <string>

#include "pages/QuarvelPage.h"
#include "ui/ValueExchange.h"

class QAbstractButton;
class QLineEdit;
class UpDownButtons;

namespace Ui {
class CPage4Extra;
}

// "Additional Settings": the standard layout with its default page size and
// densities, and the page label.
class CPage4Extra : public CQuarvelPage, public ValueExchange {
    Q_OBJECT
  public:
    explicit CPage4Extra(PageHost& host, QWidget* parent = nullptr);
    ~CPage4Extra() override;

    void onSetActive() override;
    bool onKillActive() override;

    bool ReadControls() override;
    void ShowValues() override;

  private:
    // One density: three radio buttons and a number used in Custom mode.
    struct Density {
        QAbstractButton* black;
        QAbstractButton* white;
        QAbstractButton* custom;
        QLineEdit* number;
        UpDownButtons* spin;
        int mode = 0;
        int value = 0;
    };

    void RebuildPageSizeList();
    void LoadDensity(Density& density, const std::string& text);
    void ApplyDensityEnabling(const Density& density);
    void OnDensityRadio(Density& density);
    // The preview follows the controls as they change, read leniently into
    // its own copy; the page's values and the record change only as before.
    void ConnectPreview();
    void UpdatePreview();

    std::unique_ptr<Ui::CPage4Extra> m_ui;
    Density m_border;
    Density m_empty;

    std::string m_description;
    double m_imageDistance = 0;
    double m_trimWidth = 0;
    int m_pageSizeIndex = -1;
    int m_orientation = 0;
    bool m_trimImages = false;
    bool m_includeLabel = false;
    std::string m_labelText;
    int m_fontSize = 0;
    int m_positionX = 0;
    int m_positionY = 0;
};

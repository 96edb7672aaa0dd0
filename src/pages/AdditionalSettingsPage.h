#pragma once

#include <memory>
#include <string>

#include "pages/ConfigPage.h"
#include "ui/ValueExchange.h"

class QAbstractButton;
class QLineEdit;
class UpDownButtons;

namespace Ui {
class AdditionalSettingsPage;
}

// "Additional Settings": the standard layout with its default page size and
// densities, and the page label.
class AdditionalSettingsPage : public ConfigPage, public ValueExchange {
    Q_OBJECT
  public:
    explicit AdditionalSettingsPage(PageHost& host, QWidget* parent = nullptr);
    ~AdditionalSettingsPage() override;

    void onSetActive() override;
    bool onKillActive() override;

    bool readControls() override;
    void showValues() override;

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

    void rebuildPageSizeList();
    void loadDensity(Density& density, const std::string& text);
    void applyDensityEnabling(const Density& density);
    void onDensityRadio(Density& density);
    // The preview follows the controls as they change, read leniently into
    // its own copy; the page's values and the record change only as before.
    void connectPreview();
    void updatePreview();

    std::unique_ptr<Ui::AdditionalSettingsPage> m_ui;
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

#pragma once

#include <memory>
#include <string>

#include "config/Records.h"
#include "pages/ConfigPage.h"
#include "ui/Bindings.h"
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
    void commitEdits() override;

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
    };
    // The values as shown, kept while the page is: the layout's, each
    // density as its mode and custom number, the page size as the index of
    // its paper, and the page label.
    struct Values : PageLabelSettings {
        std::string Description;
        double ImageDistance = 0;
        double TrimWidth = 0;
        int Orientation = 0;
        bool Trim = false;
        int pageSizeIndex = -1;
        int borderMode = 0, borderValue = 0;
        int emptyMode = 0, emptyValue = 0;
    };

    // The configuration takes values, as a change Undo can take back.
    void keep(const Values& values);
    void rebuildPageSizeList();
    static void loadDensity(int& mode, int& value, const std::string& text);
    void applyDensityEnabling(const Density& density);
    void onDensityRadio(const Density& density);
    // The preview follows the controls as they change, read leniently into
    // its own copy; the page's values and the record change only as before.
    void connectPreview();
    void updatePreview();

    std::unique_ptr<Ui::AdditionalSettingsPage> m_ui;
    Density m_border;
    Density m_empty;
    Values m_values;
    Bindings<Values> m_bindings;
};

#pragma once

#include <QWidget>

// A page of a PropertySheet with the hooks the sheet calls: activation,
// leaving (refused to keep the page, for instance over an invalid number),
// apply on "Save and Exit" and the cancel request of "Exit".
class PropertyPage : public QWidget {
    Q_OBJECT
  public:
    using QWidget::QWidget;

    virtual void onSetActive() {}
    virtual bool onKillActive() { return true; }
    virtual bool onApply() { return true; }
    virtual bool onQueryCancel() { return true; }
};

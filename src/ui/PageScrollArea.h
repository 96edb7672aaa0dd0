#pragma once

#include <QScrollArea>

// Holds a page that may not fit a small screen. It asks for the room to show
// the page whole (a plain scroll area asks for a fixed, smaller size), needs
// little, and shows scroll bars only when it gets less than the page. The
// control that gets the focus is scrolled into view, by Tab, by its
// mnemonic or by a refused reading alike.
class PageScrollArea : public QScrollArea {
    Q_OBJECT
  public:
    explicit PageScrollArea(QWidget* parent = nullptr);

    QSize sizeHint() const override;

  private:
    void onFocusChanged(QWidget* now);
};

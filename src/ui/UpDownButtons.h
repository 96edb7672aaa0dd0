#pragma once

#include <QWidget>

class QToolButton;

// Two small arrow buttons without a buddy or range of their own: the page
// that owns them reads its fields, steps the value and shows it again.
class UpDownButtons : public QWidget {
    Q_OBJECT
  public:
    explicit UpDownButtons(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

  signals:
    void stepUp();
    void stepDown();

  private:
    QToolButton* m_up;
    QToolButton* m_down;
};

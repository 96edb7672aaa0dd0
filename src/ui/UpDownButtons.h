#pragma once

#include <QWidget>

class QToolButton;

// Two small arrow buttons without a buddy or range of their own: the page
// that owns them reads its fields, steps the value and shows it again.
// The arrows stay out of the Tab order; the number field they step gives
// them its Up and Down keys and the mouse wheel instead.
class UpDownButtons : public QWidget {
    Q_OBJECT
  public:
    explicit UpDownButtons(QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    // The Up and Down keys in field and each notch of the wheel over it step
    // as the arrows do, while the arrows are enabled. The arrows take the
    // field's accessible name: "Increase copies", "Decrease copies".
    void attachField(QWidget* field);
    // What the arrows say of a field named fieldName: "Image Distance:"
    // gives "image distance", blanks and the colon tidied.
    static QString steppedName(const QString& fieldName);

  signals:
    void stepUp();
    void stepDown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void step(int direction);

    QToolButton* m_up;
    QToolButton* m_down;
    QWidget* m_field = nullptr;
    int m_wheelRemainder = 0; // eighths of a degree short of a whole notch
};

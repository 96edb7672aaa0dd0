#pragma once

#include <QFrame>
#include <cstddef>
#include <functional>

class QLabel;
class QPushButton;

// The bar above a list after a deletion: "3 printers deleted." with an
// "Undo" button, shown until the next change to the list. Not modal: the
// list stays usable while it shows.
class UndoBar : public QFrame {
    Q_OBJECT
  public:
    explicit UndoBar(QWidget* parent = nullptr);

    // Shows text and offers undo, in place of what was offered before.
    void offer(const QString& text, std::function<void()> undo);
    // Hides the bar; what it offered can no longer be undone.
    void dismiss();
    // Runs what was offered, once; false when nothing was.
    bool undo();

    QString text() const;

  private:
    QLabel* m_text;
    QPushButton* m_button;
    std::function<void()> m_undo;
};

// "1 printer deleted.", "1,000 printers deleted."
QString deletedText(std::size_t count, const char* one, const char* many);

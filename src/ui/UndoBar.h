#pragma once

#include <QFrame>
#include <QMetaObject>
#include <cstddef>

class QLabel;
class QPushButton;
class QUndoStack;

// The bar above a list after a deletion: "3 printers deleted." with an
// "Undo" button that takes the deletion back through the Undo history. It
// shows while the deletion is the last change of the history and the list
// has not changed since. Not modal: the list stays usable while it shows.
class UndoBar : public QFrame {
    Q_OBJECT
  public:
    explicit UndoBar(QWidget* parent = nullptr);

    // Shows text and offers to undo the change that history did last, in
    // place of what was offered before.
    void offer(const QString& text, QUndoStack& history);
    // Hides the bar; the history keeps the change.
    void dismiss();
    // Undoes the offered change, once; false when nothing was offered or
    // the history has moved on since.
    bool undo();

    QString text() const;

  private:
    QLabel* m_text;
    QPushButton* m_button;
    QUndoStack* m_history = nullptr;
    int m_index = -1;
    QMetaObject::Connection m_watch;
};

// "1 printer", "1,000 printers"
QString countedText(std::size_t count, const char* one, const char* many);
// "1 printer deleted.", "1,000 printers deleted."
QString deletedText(std::size_t count, const char* one, const char* many);

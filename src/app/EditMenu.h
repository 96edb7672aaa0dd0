#pragma once

#include <QObject>
#include <functional>

class QAction;
class QDialog;
class QMenuBar;
class QUndoStack;

// The window's "Edit" menu: "&Undo" and "&Redo" of the configuration's
// history, named after what they undo and redo, on Ctrl+Z and Ctrl+Shift+Z
// wherever the focus is in the window. A text field with typing of its own
// to take back keeps the keys for that; with none it leaves them to the menu.
// Before either runs, prepare lets the page keep what its fields hold.
class EditMenu : public QObject {
    Q_OBJECT
  public:
    // The menu goes into bar, the window's menu bar.
    EditMenu(QDialog& window, QMenuBar& bar, QUndoStack& history, std::function<void()> prepare);

    QMenuBar* menuBar() const { return m_bar; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QUndoStack& m_history;
    std::function<void()> m_prepare;
    QMenuBar* m_bar;
    QAction* m_undo;
    QAction* m_redo;
};

#include "app/EditMenu.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QUndoStack>

namespace {

// "&Undo Delete 2 printers", or "&Undo" when there is nothing to undo.
QString named(const QString& action, const QString& what)
{
    return what.isEmpty() ? action : action + QLatin1Char(' ') + what;
}

} // namespace

EditMenu::EditMenu(QDialog& window, QMenuBar& bar, QUndoStack& history, std::function<void()> prepare)
    : QObject(&window), m_history(history), m_prepare(std::move(prepare)), m_bar(&bar)
{
    // No mnemonic: every letter of "Edit" is a button's on the Printer or the
    // Paper page (Alt+E edits the selected printer), and a menu title that
    // shared one would make that key only move the focus.
    QMenu* edit = m_bar->addMenu(QStringLiteral("Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    m_undo = edit->addAction(QStringLiteral("&Undo"));
    m_undo->setObjectName(QStringLiteral("undoAction"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = edit->addAction(QStringLiteral("&Redo"));
    m_redo->setObjectName(QStringLiteral("redoAction"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {m_undo, m_redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        // Also the window's own: the keys work while the menu is closed.
        window.addAction(action);
    }
    m_undo->setEnabled(history.canUndo());
    m_redo->setEnabled(history.canRedo());
    connect(&history, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);
    connect(&history, &QUndoStack::undoTextChanged, m_undo,
            [this](const QString& text) { m_undo->setText(named(QStringLiteral("&Undo"), text)); });
    connect(&history, &QUndoStack::redoTextChanged, m_redo,
            [this](const QString& text) { m_redo->setText(named(QStringLiteral("&Redo"), text)); });
    connect(m_undo, &QAction::triggered, this, [this] {
        if (m_prepare)
            m_prepare();
        m_history.undo();
    });
    connect(m_redo, &QAction::triggered, this, [this] {
        if (m_prepare)
            m_prepare();
        m_history.redo();
    });
    for (QLineEdit* field : window.findChildren<QLineEdit*>())
        field->installEventFilter(this);
}

bool EditMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* field = qobject_cast<QLineEdit*>(watched);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (!field || field->isReadOnly())
        return false;
    // Nothing typed to take back: the keys are the window's Undo and Redo.
    const bool undo = m_undo->shortcuts().contains(QKeySequence(key->keyCombination()));
    const bool redo = m_redo->shortcuts().contains(QKeySequence(key->keyCombination()));
    if ((undo && !field->isUndoAvailable()) || (redo && !field->isRedoAvailable())) {
        event->ignore();
        return true;
    }
    return false;
}

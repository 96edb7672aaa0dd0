#pragma once

#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "ui/Interaction.h"

class QWidget;

// Answers every modal step of the editor from queues that a test fills, and
// records what was shown. Nothing here waits or runs an event loop of its
// own: a "modal" dialog is shown, handed to the test's handler and hidden.
class ScriptedInteraction : public Interaction {
  public:
    struct Message {
        QString text;
        Icon icon;
        Buttons buttons;
        QString details; // of a box with details
    };
    struct MenuState {
        QString objectName;
        QStringList enabled;  // texts of the enabled items, submenus included
        QStringList disabled; // texts of the greyed items
    };
    using ModalHandler = std::function<void(QDialog&)>;

    // Queues: answers for Yes/No boxes (OK boxes need none), file dialog
    // results (nullopt = cancelled), dialog handlers, menu choices by text
    // (empty = dismissed).
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> openResults;
    std::deque<std::optional<QString>> saveResults;
    std::deque<ModalHandler> modalHandlers;
    std::deque<QString> menuChoices;

    std::vector<Message> messages;
    // Called as each message is shown, while its window is as the user sees it.
    std::function<void(const Message&)> onMessage;
    std::vector<FileDialogOptions> openSpecs;
    std::vector<FileDialogOptions> saveSpecs;
    std::vector<MenuState> menus;
    QStringList modalTitles;
    int busyDepth = 0;
    int busyCount = 0;

    Answer message(QWidget* parent, const QString& text, Icon icon, Buttons buttons) override;
    void tellWithDetails(QWidget* parent, const QString& text, const QString& details, Icon icon) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogOptions& spec) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogOptions& spec) override;
    int runModal(QDialog& dialog) override;
    QAction* popupMenu(QMenu& menu, const QPoint& globalPos) override;
    void beginBusy() override;
    void endBusy() override;

    QStringList messageTexts() const;
    const Message& lastMessage() const { return messages.back(); }
};

// Helpers for handlers: find a child by object name, click a button.
template <typename T> T* child(QObject& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}
void click(QObject& parent, const char* buttonName);
void setText(QObject& parent, const char* editName, const QString& text);

// A mouse wheel turned over widget by delta eighths of a degree (a notch
// of a common wheel is 120; fine wheels send parts of it).
void turnWheel(QWidget* widget, int delta);

// A caption as the user reads it: without the '&' that marks its mnemonic
// ("&&" stands for one '&').
QString caption(const QString& text);

#include "ScriptedInteraction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QWheelEvent>
#include <stdexcept>

Interaction::Answer ScriptedInteraction::message(QWidget*, const QString& text, Icon icon, Buttons buttons)
{
    messages.push_back({text, icon, buttons, QString()});
    if (onMessage)
        onMessage(messages.back());
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    if (answers.empty())
        throw std::runtime_error("unscripted Yes/No question: " + text.toStdString());
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedInteraction::tellWithDetails(QWidget*, const QString& text, const QString& details, Icon icon)
{
    messages.push_back({text, icon, Buttons::Ok, details});
}

std::optional<QString> ScriptedInteraction::openFileName(QWidget*, const FileDialogOptions& spec)
{
    openSpecs.push_back(spec);
    if (openResults.empty())
        throw std::runtime_error("unscripted open-file dialog");
    auto result = openResults.front();
    openResults.pop_front();
    return result;
}

std::optional<QString> ScriptedInteraction::saveFileName(QWidget*, const FileDialogOptions& spec)
{
    saveSpecs.push_back(spec);
    if (saveResults.empty())
        throw std::runtime_error("unscripted save-file dialog");
    auto result = saveResults.front();
    saveResults.pop_front();
    return result;
}

int ScriptedInteraction::runModal(QDialog& dialog)
{
    modalTitles << dialog.windowTitle();
    if (modalHandlers.empty())
        throw std::runtime_error("unscripted modal dialog: " + dialog.windowTitle().toStdString());
    ModalHandler handler = modalHandlers.front();
    modalHandlers.pop_front();
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    handler(dialog);
    const int result = dialog.result();
    dialog.hide();
    return result;
}

namespace {

void collect(const QMenu& menu, ScriptedInteraction::MenuState& state)
{
    for (QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        (action->isEnabled() ? state.enabled : state.disabled) << action->text();
        if (action->menu() && action->isEnabled())
            collect(*action->menu(), state);
    }
}

QAction* findAction(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == text && action->isEnabled())
            return action;
        if (action->menu() && action->isEnabled())
            if (QAction* found = findAction(*action->menu(), text))
                return found;
    }
    return nullptr;
}

} // namespace

QAction* ScriptedInteraction::popupMenu(QMenu& menu, const QPoint&)
{
    MenuState state;
    state.objectName = menu.objectName();
    collect(menu, state);
    menus.push_back(state);
    if (menuChoices.empty())
        return nullptr;
    const QString choice = menuChoices.front();
    menuChoices.pop_front();
    return choice.isEmpty() ? nullptr : findAction(menu, choice);
}

void ScriptedInteraction::beginBusy()
{
    ++busyDepth;
    ++busyCount;
}

void ScriptedInteraction::endBusy()
{
    --busyDepth;
}

QStringList ScriptedInteraction::messageTexts() const
{
    QStringList texts;
    for (const Message& m : messages)
        texts << m.text;
    return texts;
}

void click(QObject& parent, const char* buttonName)
{
    auto* button = child<QAbstractButton>(parent, buttonName);
    if (!button)
        throw std::runtime_error(std::string("no button ") + buttonName);
    button->click();
}

void setText(QObject& parent, const char* editName, const QString& text)
{
    auto* edit = child<QLineEdit>(parent, editName);
    if (!edit)
        throw std::runtime_error(std::string("no edit ") + editName);
    edit->setText(text);
}

void turnWheel(QWidget* widget, int delta)
{
    const QPointF at(widget->rect().center());
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

QString caption(const QString& text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

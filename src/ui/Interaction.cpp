#include "ui/Interaction.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QStringList>

QString QtNameFilters(const QString& windowsFilter)
{
    // "A (*.a)|*.a|B (*.*)|*.*||": names and patterns alternate.
    const QStringList parts = windowsFilter.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString& name = parts[i];
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (name.contains(QLatin1Char('(')) ? name : name + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

QMessageBox::Icon QtIcon(Interaction::Icon icon, Interaction::Buttons buttons)
{
    switch (icon) {
    case Interaction::Icon::Information:
        return QMessageBox::Information;
    case Interaction::Icon::Warning:
        return QMessageBox::Warning;
    case Interaction::Icon::Error:
        return QMessageBox::Critical;
    case Interaction::Icon::Question:
        return QMessageBox::Question;
    case Interaction::Icon::None:
        break;
    }
    // A box without a requested icon: warning for OK, question for Yes/No.
    return buttons == Interaction::Buttons::YesNo ? QMessageBox::Question : QMessageBox::Warning;
}

QString WindowTitle(QWidget* parent)
{
    QWidget* window = parent ? parent->window() : nullptr;
    return window && !window->windowTitle().isEmpty() ? window->windowTitle() : QStringLiteral("Quarvel");
}

void Prepare(QFileDialog& dialog, const Interaction::FileDialogSpec& spec)
{
    dialog.setNameFilter(QtNameFilters(spec.filter));
    if (!spec.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(spec.defaultSuffix);
    if (!spec.initialName.isEmpty())
        dialog.selectFile(spec.initialName);
}

} // namespace

Interaction::Answer QtInteraction::message(QWidget* parent, const QString& text, Icon icon, Buttons buttons)
{
    QMessageBox box(QtIcon(icon, buttons), WindowTitle(parent), text,
                    buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtInteraction::tellWithDetails(QWidget* parent, const QString& text, const QString& details, Icon icon)
{
    QMessageBox box(QtIcon(icon, Buttons::Ok), WindowTitle(parent), text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

std::optional<QString> QtInteraction::openFileName(QWidget* parent, const FileDialogSpec& spec)
{
    QFileDialog dialog(parent);
    Prepare(dialog, spec);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(spec.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtInteraction::saveFileName(QWidget* parent, const FileDialogSpec& spec)
{
    QFileDialog dialog(parent);
    Prepare(dialog, spec);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

int QtInteraction::runModal(QDialog& dialog)
{
    return dialog.exec();
}

QAction* QtInteraction::popupMenu(QMenu& menu, const QPoint& globalPos)
{
    return menu.exec(globalPos);
}

void QtInteraction::beginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
void QtInteraction::endBusy()
{
    QApplication::restoreOverrideCursor();
}

#include "ui/Interaction.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>

namespace {

QMessageBox::Icon qtIcon(Interaction::Icon icon, Interaction::Buttons buttons)
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

QString windowTitle(QWidget* parent)
{
    QWidget* window = parent ? parent->window() : nullptr;
    return window && !window->windowTitle().isEmpty() ? window->windowTitle() : QStringLiteral("Quarvel");
}

} // namespace

void prepareFileDialog(QFileDialog& dialog, const Interaction::FileDialogOptions& options)
{
    // "Caption (patterns)" becomes "Caption (patterns) (matching)": the dialog
    // matches by the last parentheses and, with the details hidden, shows
    // what stands before them, the caption as given.
    QStringList filters;
    for (const QString& filter : options.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
        if (open < 0 || !filter.endsWith(QLatin1Char(')'))) {
            filters << filter;
            continue;
        }
        QStringList patterns = filter.sliced(open + 1).chopped(1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        patterns.replaceInStrings(QRegularExpression(QStringLiteral("^\\*\\.\\*$")), QStringLiteral("*"));
        filters << filter + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (!options.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(options.defaultSuffix);
    if (!options.initialName.isEmpty())
        dialog.selectFile(options.initialName);
}

void prepareSaveDialog(QFileDialog& dialog, const Interaction::FileDialogOptions& options)
{
    prepareFileDialog(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
}

Interaction::Answer QtInteraction::message(QWidget* parent, const QString& text, Icon icon, Buttons buttons)
{
    if (buttons == Buttons::ShowChangesOverwriteCancel) {
        QMessageBox box(qtIcon(icon, buttons), windowTitle(parent), text, QMessageBox::NoButton, parent);
        QPushButton* show = box.addButton(QStringLiteral("&Show Changes"), QMessageBox::ActionRole);
        QPushButton* overwrite = box.addButton(QStringLiteral("&Overwrite"), QMessageBox::DestructiveRole);
        box.setDefaultButton(box.addButton(QMessageBox::Cancel));
        box.exec();
        return box.clickedButton() == show        ? Answer::ShowChanges
               : box.clickedButton() == overwrite ? Answer::Overwrite
                                                  : Answer::Cancel;
    }
    QMessageBox box(qtIcon(icon, buttons), windowTitle(parent), text,
                    buttons == Buttons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtInteraction::tellWithDetails(QWidget* parent, const QString& text, const QString& details, Icon icon)
{
    QMessageBox box(qtIcon(icon, Buttons::Ok), windowTitle(parent), text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

std::optional<QString> QtInteraction::openFileName(QWidget* parent, const FileDialogOptions& options)
{
    QFileDialog dialog(parent);
    prepareFileDialog(dialog, options);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtInteraction::saveFileName(QWidget* parent, const FileDialogOptions& options)
{
    QFileDialog dialog(parent);
    prepareSaveDialog(dialog, options);
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

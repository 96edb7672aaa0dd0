#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QAction;
class QDialog;
class QFileDialog;
class QMenu;
class QWidget;

// Everything modal the editor does goes through one Interaction: message
// boxes, file dialogs, modal runs of dialogs and popup menus. Production
// code uses the Qt implementation; tests install a scripted one.
class Interaction {
  public:
    enum class Icon { None, Information, Warning, Error, Question };
    // ShowChangesOverwriteCancel: "Show Changes", "Overwrite" and "Cancel",
    // for a file that changed on disk.
    enum class Buttons { Ok, YesNo, ShowChangesOverwriteCancel };
    enum class Answer { Ok, Yes, No, ShowChanges, Overwrite, Cancel };

    struct FileDialogOptions {
        QString filter;        // Qt name filters: "Name (*.x);;Other (*.y)"
        QString defaultSuffix; // without the dot; empty for none
        QString initialName;
        bool mustExist = false; // open dialogs only
    };

    virtual ~Interaction() = default;

    virtual Answer message(QWidget* parent, const QString& text, Icon icon, Buttons buttons) = 0;
    virtual std::optional<QString> openFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    // Asks before a file there is replaced, as the platform's dialog does
    // (the writer keeps a backup of it all the same).
    virtual std::optional<QString> saveFileName(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual int runModal(QDialog& dialog) = 0;
    virtual QAction* popupMenu(QMenu& menu, const QPoint& globalPos) = 0;
    // Shows the busy cursor until endBusy.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // An OK box whose details (one item a line) the user can unfold. The
    // default shows them below the text.
    virtual void tellWithDetails(QWidget* parent, const QString& text, const QString& details, Icon icon)
    {
        message(parent, text + QStringLiteral("\n\n") + details, icon, Buttons::Ok);
    }

    // Shorthands for the two kinds of boxes the editor shows.
    void tell(QWidget* parent, const QString& text, Icon icon) { message(parent, text, icon, Buttons::Ok); }
    bool askYesNo(QWidget* parent, const QString& text, Icon icon)
    {
        return message(parent, text, icon, Buttons::YesNo) == Answer::Yes;
    }
};

// Sets a file dialog up for the options. Each filter shows its caption as
// given; a "*.*" pattern matches every file, those without a dot included,
// as it does where the captions come from.
void prepareFileDialog(QFileDialog& dialog, const Interaction::FileDialogOptions& options);
// The same for a save dialog.
void prepareSaveDialog(QFileDialog& dialog, const Interaction::FileDialogOptions& options);

class QtInteraction : public Interaction {
  public:
    Answer message(QWidget* parent, const QString& text, Icon icon, Buttons buttons) override;
    void tellWithDetails(QWidget* parent, const QString& text, const QString& details, Icon icon) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogOptions& options) override;
    int runModal(QDialog& dialog) override;
    QAction* popupMenu(QMenu& menu, const QPoint& globalPos) override;
    void beginBusy() override;
    void endBusy() override;
};

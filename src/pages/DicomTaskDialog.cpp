#include "pages/DicomTaskDialog.h"

#include <QPushButton>
#include <thread>

#include "ui/Interaction.h"
#include "ui_DicomTaskDialog.h"

DicomTaskDialog::DicomTaskDialog(const QString& text, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::DicomTaskDialog>())
{
    m_ui->setupUi(this);
    m_ui->message->setText(text);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &DicomTaskDialog::reject);
}

DicomTaskDialog::~DicomTaskDialog() = default;

bool DicomTaskDialog::run(Interaction& interaction, const std::function<void(DicomCancel&)>& work)
{
    interaction.beginBusy();
    std::thread worker([this, &work] {
        work(m_cancel);
        // Back on the GUI thread: the work has ended, the window goes.
        QMetaObject::invokeMethod(
            this, [this] { QDialog::done(QDialog::Accepted); }, Qt::QueuedConnection);
    });
    interaction.runModal(*this);
    worker.join();
    interaction.endBusy();
    return !m_cancel.cancelled();
}

void DicomTaskDialog::reject()
{
    // The window stays until the work has stopped; that takes no longer
    // than the connection attempt under way, if any.
    m_cancel.cancel();
    m_ui->message->setText(QStringLiteral("Cancelling..."));
    m_ui->buttons->button(QDialogButtonBox::Cancel)->setEnabled(false);
}

#include "app/ChangesDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QTextCharFormat>
#include <QTextCursor>
#include <string_view>

#include "ui/Fields.h"
#include "ui_ChangesDialog.h"

ChangesDialog::ChangesDialog(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::ChangesDialog>())
{
    m_ui->setupUi(this);
    m_ui->diffText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ChangesDialog::~ChangesDialog() = default;

void ChangesDialog::setChanges(const QString& summary, const std::string& diff, TextEncoding encoding)
{
    m_ui->summary->setText(summary);
    m_ui->diffText->clear();
    QTextCharFormat plain, removed, added, hunk;
    removed.setForeground(QColor(0xb0, 0x00, 0x00));
    removed.setBackground(QColor(0xff, 0xeb, 0xeb));
    added.setForeground(QColor(0x00, 0x70, 0x00));
    added.setBackground(QColor(0xe6, 0xff, 0xe6));
    hunk.setForeground(QColor(0x00, 0x40, 0xa0));
    QTextCursor cursor(m_ui->diffText->document());
    std::string_view rest = diff;
    bool first = true;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const bool header = line.starts_with("---") || line.starts_with("+++");
        const QTextCharFormat& format = header                  ? plain
                                        : line.starts_with('-') ? removed
                                        : line.starts_with('+') ? added
                                        : line.starts_with('@') ? hunk
                                                                : plain;
        if (!first)
            cursor.insertBlock();
        first = false;
        cursor.insertText(toQt(std::string(line), encoding), format);
    }
    m_ui->diffText->moveCursor(QTextCursor::Start);
}

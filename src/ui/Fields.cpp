#include "ui/Fields.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <cmath>

#include "config/NumberText.h"

QString toQt(std::string_view text, TextEncoding encoding)
{
    if (encoding == TextEncoding::Utf8)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::string utf8 = windows1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool encodeText(const QString& text, TextEncoding encoding, std::string& bytes, QString* unrepresentable)
{
    const QByteArray utf8 = text.toUtf8();
    const std::string_view view(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    if (encoding == TextEncoding::Utf8) {
        bytes.assign(view);
        return true;
    }
    std::string converted;
    std::string bad;
    if (!utf8ToWindows1252(view, converted, &bad)) {
        if (unrepresentable)
            *unrepresentable = QString::fromUtf8(bad.data(), static_cast<qsizetype>(bad.size()));
        return false;
    }
    bytes = std::move(converted);
    return true;
}

FieldReader& FieldReader::text(QLineEdit* edit, std::string& value)
{
    if (m_failed)
        return *this;
    std::string bytes;
    QString bad;
    if (encodeText(edit->text(), m_encoding, bytes, &bad))
        value = std::move(bytes);
    else
        fail(edit, QStringLiteral("The character '%1' cannot be stored in this configuration file: its texts are "
                                  "in the Windows-1252 code page. Please use other characters.")
                       .arg(bad));
    return *this;
}

FieldReader& FieldReader::text(QLineEdit* edit, FieldText& value)
{
    std::string bytes(value);
    text(edit, bytes);
    value = bytes;
    return *this;
}

FieldReader& FieldReader::check(const QAbstractButton* box, int& value)
{
    if (!m_failed)
        value = box->isChecked() ? 1 : 0;
    return *this;
}

FieldReader& FieldReader::check(const QAbstractButton* box, bool& value)
{
    if (!m_failed)
        value = box->isChecked();
    return *this;
}

FieldReader& FieldReader::uncheck(const QAbstractButton* box, bool& value)
{
    if (!m_failed)
        value = !box->isChecked();
    return *this;
}

FieldReader& FieldReader::index(const QComboBox* list, int& value)
{
    if (!m_failed)
        value = list->currentIndex();
    return *this;
}

FieldReader& FieldReader::radio(std::initializer_list<const QAbstractButton*> group, int& value)
{
    if (m_failed)
        return *this;
    value = -1;
    int i = 0;
    for (const QAbstractButton* button : group) {
        if (button->isChecked())
            value = i;
        ++i;
    }
    return *this;
}

FieldReader& FieldReader::integer(QLineEdit* edit, int& value)
{
    if (!m_failed && !peekInteger(edit, value))
        fail(edit, QStringLiteral("Please enter an integer."));
    return *this;
}

FieldReader& FieldReader::integer(QLineEdit* edit, int& value, int low, int high)
{
    if (m_failed)
        return *this;
    integer(edit, value);
    if (!m_failed && (value < low || value > high))
        fail(edit, QStringLiteral("Please enter an integer between %1 and %2.").arg(low).arg(high));
    return *this;
}

FieldReader& FieldReader::real(QLineEdit* edit, double& value)
{
    if (m_failed)
        return *this;
    if (!peekReal(edit, value))
        fail(edit, QStringLiteral("Please enter a number."));
    return *this;
}

FieldReader& FieldReader::real(QLineEdit* edit, double& value, double low, double high)
{
    if (m_failed)
        return *this;
    real(edit, value);
    if (!m_failed && (value < low || value > high))
        fail(edit, QStringLiteral("Please enter a number between %1 and %2.").arg(low).arg(high));
    return *this;
}

void FieldReader::fail(QLineEdit* edit, const QString& prompt)
{
    m_failed = true;
    m_interaction.tell(m_parent, prompt, Interaction::Icon::Warning);
    edit->setFocus(Qt::OtherFocusReason);
    edit->selectAll();
}

bool peekInteger(const QLineEdit* field, int& value)
{
    return readLeadingInteger(field->text().toStdString(), value);
}

bool peekReal(const QLineEdit* field, double& value)
{
    // The file always uses a point; a user with a decimal comma may type one.
    const std::string typed = field->text().replace(QLatin1Char(','), QLatin1Char('.')).toStdString();
    double read = 0;
    if (!readLeadingReal(typed, read) || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

void showText(QLineEdit* edit, std::string_view value, TextEncoding encoding)
{
    edit->setText(toQt(value, encoding));
}
void showInteger(QLineEdit* edit, int value)
{
    edit->setText(QString::number(value));
}
void showReal(QLineEdit* edit, double value)
{
    edit->setText(QString::fromStdString(formatRealShortest(value)));
}
void showCheck(QAbstractButton* box, int value)
{
    box->setChecked(value == 1);
}

void showCheck(QAbstractButton* box, bool value)
{
    box->setChecked(value);
}
void showIndex(QComboBox* list, int index)
{
    list->setCurrentIndex(index < list->count() ? index : -1);
}

void showRadio(const std::vector<QAbstractButton*>& group, int index)
{
    // Exclusive groups refuse to uncheck their checked button, which "no
    // selection" needs: lift the exclusiveness while setting the states.
    QButtonGroup* buttonGroup = group.empty() ? nullptr : group.front()->group();
    const bool groupExclusive = buttonGroup && buttonGroup->exclusive();
    if (buttonGroup)
        buttonGroup->setExclusive(false);
    int i = 0;
    for (QAbstractButton* button : group) {
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(i == index);
        button->setAutoExclusive(exclusive);
        ++i;
    }
    if (buttonGroup)
        buttonGroup->setExclusive(groupExclusive);
}

#pragma once

#include <QString>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "config/FieldText.h"
#include "config/TextEncoding.h"
#include "ui/Interaction.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

// The configuration's texts cross between the core (bytes in the encoding
// of the file they came from, held by the configuration being edited) and
// the widgets only here.
// A configuration text for display.
QString toQt(std::string_view text, TextEncoding encoding);
// A configuration text from the user. False when it holds a character the
// encoding has no byte for; that character goes to unrepresentable.
bool encodeText(const QString& text, TextEncoding encoding, std::string& bytes, QString* unrepresentable = nullptr);
// Messages and file paths from the system (its own locale, not the file's).
inline QString systemText(std::string_view text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// Reads a window's fields in a fixed order into its values. The first
// invalid number stops the reading: its prompt is shown with the warning
// icon, the focus goes to the field, and every later field keeps its value.
class FieldReader {
  public:
    // Texts are encoded in encoding, the configuration's.
    FieldReader(Interaction& interaction, QWidget* parent, TextEncoding encoding)
        : m_interaction(interaction), m_parent(parent), m_encoding(encoding)
    {
    }

    bool ok() const { return !m_failed; }

    // "The character ... cannot be stored ..." when the file's encoding has
    // no byte for a character typed.
    FieldReader& text(QLineEdit* edit, std::string& value);
    FieldReader& text(QLineEdit* edit, FieldText& value);
    FieldReader& check(const QAbstractButton* box, int& value);
    FieldReader& check(const QAbstractButton* box, bool& value);
    // A box that, ticked, switches the value off.
    FieldReader& uncheck(const QAbstractButton* box, bool& value);
    FieldReader& index(const QComboBox* list, int& value);
    // The index of the checked button of a radio group, -1 when none.
    FieldReader& radio(std::initializer_list<const QAbstractButton*> group, int& value);
    // "Please enter an integer." when the text begins with no integer.
    FieldReader& integer(QLineEdit* edit, int& value);
    // As integer, then "Please enter an integer between %1 and %2." when out
    // of range; the value read is kept even then.
    FieldReader& integer(QLineEdit* edit, int& value, int low, int high);
    // "Please enter a number." when the text begins with no number or the
    // number is too large to be finite. A decimal comma counts as a point.
    FieldReader& real(QLineEdit* edit, double& value);
    // As real, then "Please enter a number between %1 and %2." when out of
    // range; the value read is kept even then.
    FieldReader& real(QLineEdit* edit, double& value, double low, double high);

  private:
    void fail(QLineEdit* edit, const QString& prompt);

    Interaction& m_interaction;
    QWidget* m_parent;
    TextEncoding m_encoding;
    bool m_failed = false;
};

// Reading a number field silently, by the same rules as FieldReader: false
// (and value unchanged) when the field holds no number.
bool peekInteger(const QLineEdit* field, int& value);
bool peekReal(const QLineEdit* field, double& value);

// Writing values into the widgets.
void showText(QLineEdit* edit, std::string_view value, TextEncoding encoding);
void showInteger(QLineEdit* edit, int value);
void showReal(QLineEdit* edit, double value); // up to 15 significant digits
void showCheck(QAbstractButton* box, int value);
void showCheck(QAbstractButton* box, bool value);
void showIndex(QComboBox* list, int index);
void showRadio(const std::vector<QAbstractButton*>& group, int index);

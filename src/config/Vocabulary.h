#pragma once

#include <string>
#include <string_view>

// Words in which codes and flags are stored in the configuration file.

std::string yesNoText(bool value);
std::string priorityText(int code);    // 0 LOW, 1 MED, 2 HIGH
std::string mediumText(int code);      // 0 PAPER, 1 FILM
std::string destinationText(int code); // 0 MAGAZINE, 1 PROCESSOR
std::string orientationText(int code); // 0 PORTRAIT, 1 LANDSCAPE

// Words to codes, compared after upper-casing; unknown words give the
// default code. known, when given, tells whether the word was one of the
// vocabulary's.
int priorityCode(std::string_view word, bool* known = nullptr);
int mediumCode(std::string_view word, bool* known = nullptr);
int destinationCode(std::string_view word, bool* known = nullptr);
int orientationCode(std::string_view word, bool* known = nullptr);

// Lenient yes/no: blanks, tabs and line feeds are ignored; "1", "YES",
// "TRUE" are yes; "0", "NO", "FALSE" are no; anything else is the fallback.
// known, when given, tells whether the value was one of those words.
bool parseYesNo(std::string_view value, bool fallback, bool* known = nullptr);

// Density texts: "BLACK", "WHITE" or a decimal number, shown as three radio
// buttons numbered as below.
enum DensityRadio { DensityBlack = 0, DensityWhite = 1, DensityCustom = 2 };

class DensityMode {
  public:
    // known, when given, tells whether text was BLACK or WHITE (in any
    // case) or a whole integer.
    static DensityMode fromText(const std::string& text, bool* known = nullptr);
    static DensityMode black() { return DensityMode(DensityBlack, 0); }
    static DensityMode white() { return DensityMode(DensityWhite, 0); }
    static DensityMode custom(int value) { return DensityMode(DensityCustom, value); }

    DensityMode(int mode, int value) : m_mode(mode), m_value(value) {}

    int mode() const { return m_mode; }
    int value() const { return m_value; }
    std::string toText() const;

  private:
    int m_mode;
    int m_value;
};

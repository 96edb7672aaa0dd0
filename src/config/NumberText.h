#pragma once

#include <string>
#include <string_view>

// Number conversions of the configuration file, independent of the C locale
// (the GUI runs with the user's locale, the file always uses '.').

// In the manner of atoi: leading white space, an optional sign, then the
// leading decimal digits; 0 when there are none. Saturates at the 32-bit
// limits instead of overflowing. whole, when given, tells whether the text
// is all number (digits to its end, within the limits): read as written.
int parseInteger(std::string_view text, bool* whole = nullptr);

// In the manner of atof: leading white space, then a decimal number with '.'
// as decimal point, exponent allowed; 0.0 when the text begins with no number.
// whole as above: a number to the text's end that neither over- nor underflows.
double parseReal(std::string_view text, bool* whole = nullptr);

// The editor's number fields, read like strtol/strtod from the start of the
// text: leading blanks skipped, text after the number ignored. False when the
// text begins with no number (or an integer overflows 32 bits); value is then
// left as it was.
bool readLeadingInteger(const std::string& text, int& value);
bool readLeadingReal(const std::string& text, double& value);

std::string formatInteger(int value);            // "%i"
void appendInteger(std::string& out, int value); // "%i", without a temporary
std::string formatRealShortest(double value);    // "%.15g": 5 as "5", 14.17 as "14.17"
std::string formatRealTwoPlaces(double value);   // "%.2f"

#pragma once

#include <string>

// Number conversions of the configuration file, independent of the C locale
// (the GUI runs with the user's locale, the file always uses '.').

// In the manner of atoi: leading white space, an optional sign, then the
// leading decimal digits; 0 when there are none. Saturates at the 32-bit
// limits instead of overflowing.
int ParseInteger(const std::string& text);

// In the manner of atof: leading white space, then a decimal number with '.'
// as decimal point, exponent allowed; 0.0 when the text begins with no number.
double ParseReal(const std::string& text);

std::string FormatInteger(int value);        // "%i"
std::string FormatRealTwoPlaces(double value);  // "%.2f"

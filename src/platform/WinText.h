#pragma once

#include <string>
#include <string_view>

// The program's texts and file names are UTF-8 on Windows; the system's calls
// take UTF-16. Windows only.

// False, with the system's last error, when text is no valid UTF-8 or too
// long for the system's conversion.
bool wideFromUtf8(std::string_view text, std::wstring& wide);

// The UTF-8 of a UTF-16 text; a lone surrogate becomes U+FFFD.
std::string utf8FromWide(std::wstring_view wide);

#pragma once

#include <string>
#include <string_view>

// text as a JSON string, quotes included. Configuration texts are 8-bit in
// any code page: valid UTF-8 passes as it is, every other byte is taken as
// Latin-1 and escaped, so the document is always valid UTF-8.
std::string jsonString(std::string_view text);

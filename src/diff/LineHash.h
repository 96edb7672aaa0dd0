#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// The hash of a line (with its end) by which lines are found again.
inline std::size_t lineHash(std::string_view line)
{
    return std::hash<std::string_view>()(line);
}

#pragma once

#include <cstdint>
#include <vector>

// Bytes as DICOM puts them on the wire in little endian, for the tests'
// hand-made PDUs and data sets.
using Bytes = std::vector<unsigned char>;

inline void put16(Bytes& to, std::uint16_t value)
{
    to.push_back(static_cast<unsigned char>(value));
    to.push_back(static_cast<unsigned char>(value >> 8));
}

inline void put32(Bytes& to, std::uint32_t value)
{
    put16(to, static_cast<std::uint16_t>(value));
    put16(to, static_cast<std::uint16_t>(value >> 16));
}

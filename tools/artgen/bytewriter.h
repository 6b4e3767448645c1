// SPDX-License-Identifier: MIT
// Little-endian appenders for the Windows bitmap, icon and cursor headers, whose fields are all
// stored least significant byte first whatever machine writes them.
#pragma once

#include <cstdint>
#include <QByteArray>

namespace artgen {

inline void appendU8(QByteArray& out, std::uint8_t value)
{
    out.append(static_cast<char>(value));
}

inline void appendU16(QByteArray& out, std::uint16_t value)
{
    appendU8(out, static_cast<std::uint8_t>(value & 0xFFU));
    appendU8(out, static_cast<std::uint8_t>(value >> 8U));
}

inline void appendU32(QByteArray& out, std::uint32_t value)
{
    appendU16(out, static_cast<std::uint16_t>(value & 0xFFFFU));
    appendU16(out, static_cast<std::uint16_t>(value >> 16U));
}

inline void appendI32(QByteArray& out, std::int32_t value)
{
    appendU32(out, static_cast<std::uint32_t>(value));
}

// Rows of a device-independent bitmap are padded to a whole number of 32-bit words.
constexpr int dibRowStride(int width, int bitsPerPixel)
{
    return ((width * bitsPerPixel + 31) / 32) * 4;
}

} // namespace artgen

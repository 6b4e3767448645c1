// SPDX-License-Identifier: MIT
#include "handcursor.h"

#include "pixelart.h"

#include <array>
#include <string_view>

namespace artgen {

namespace {
// Cursors are 32 x 32 pixels, the size every desktop accepts without scaling.
constexpr int side = 32;

// '.' transparent, 'K' black outline, 'W' white skin, 'S' silver shading, 'B' blue cuff,
// 'N' navy shading of the cuff. The fingertip's outline passes through the hot spot (12, 1).
constexpr std::array<std::string_view, side> art{
    "................................", //  0
    "...........KKKK.................", //  1
    "..........KWWWWK................", //  2
    "..........KWWWSK................", //  3
    "..........KWWWSK................", //  4
    "..........KWWWSK................", //  5
    "..........KWWWSK................", //  6
    "..........KWWWSK................", //  7
    "..........KWWWSKKKK.............", //  8
    "..........KWWWSKWWWKKKK.........", //  9
    "..........KWWWSKWWSKWWWKKK......", // 10
    "..........KWWWSKWWSKWWSKWWK.....", // 11
    "..........KWWWWKWWSKWWSKWWSK....", // 12
    "...KKKK...KWWWWKWWWKWWSKWWSK....", // 13
    "...KWWWK..KWWWWWKWWWKWWWKWSK....", // 14
    "...KWWWWK.KWWWWWWWWWWWWWWWSK....", // 15
    "....KWWWWKKWWWWWWWWWWWWWWWSK....", // 16
    ".....KWWWWKWWWWWWWWWWWWWWWSK....", // 17
    "......KWWWWWWWWWWWWWWWWWWWSK....", // 18
    ".......KWWWWWWWWWWWWWWWWWWSK....", // 19
    "........KWWWWWWWWWWWWWWWWWSK....", // 20
    ".........KWWWWWWWWWWWWWWWSK.....", // 21
    "..........KWWWWWWWWWWWWWWSK.....", // 22
    "...........KWWWWWWWWWWWWSK......", // 23
    "...........KKKKKKKKKKKKKKK......", // 24
    "...........KBBBBBBBBBBBBNK......", // 25
    "...........KBBBBBBBBBBBBNK......", // 26
    "...........KBBBBBBBBBBBBNK......", // 27
    "...........KNNNNNNNNNNNNNK......", // 28
    "...........KKKKKKKKKKKKKKK......", // 29
    "................................", // 30
    "................................", // 31
};

constexpr std::array<std::pair<char, Vga>, 5> legend{
    {{'K', Vga::Black}, {'W', Vga::White}, {'S', Vga::Silver}, {'B', Vga::Blue}, {'N', Vga::Navy}}};
} // namespace

IndexedImage makeHandCursor()
{
    return fromPixelArt(art, legend);
}

} // namespace artgen

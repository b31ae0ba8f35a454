// The glyph sheets' cell order, read by the game's fonts and painted by the
// data set generator from this one table: 13 cells a row holding A-Z, a-z,
// 0-9 and . : , | - in that order.
#pragma once
#include <array>
#include <cstdint>

namespace vandrel::fontCells {

inline constexpr char order[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.:,|-";
inline constexpr int32_t count = sizeof(order) - 1;
inline constexpr int32_t perRow = 13;

namespace detail {
constexpr std::array<int8_t, 256> makeIndex() {
    std::array<int8_t, 256> index{};
    for (auto& cell : index) cell = -1;
    for (int32_t k = 0; k < count; ++k) index[static_cast<uint8_t>(order[k])] = static_cast<int8_t>(k);
    return index;
}
inline constexpr std::array<int8_t, 256> index = makeIndex();
} // namespace detail

// The cell of a character, or -1 when the sheets have no glyph for it (every
// byte from 128 up, the umlauts among them, has none).
constexpr int32_t cellOf(char ch) { return detail::index[static_cast<uint8_t>(ch)]; }

// The character of cell k, or a space past the last cell.
constexpr char charOf(int32_t k) { return k >= 0 && k < count ? order[k] : ' '; }

// Where a sheet's glyphs stand: the first cell's corner (the same across and
// down), a cell's size and the gap between cells, again the same both ways.
struct CellLayout {
    int32_t origin = 0;
    int32_t cellWidth = 0;
    int32_t cellHeight = 0;
    int32_t gap = 0;
};

// The game's two sheets, as the session reads them and every sheet maker
// (the data set generator, a kit's drawn fonts) lays them out.
inline constexpr CellLayout largeFont{2, 23, 37, 2};
inline constexpr CellLayout smallFont{0, 16, 26, 0};

static_assert(count == 67 && cellOf('A') == 0 && cellOf('a') == 26 && cellOf('0') == 52 && cellOf('-') == 66);

} // namespace vandrel::fontCells

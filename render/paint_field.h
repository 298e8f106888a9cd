#pragma once
#include "picture/picture_state.h"
#include "picture/services.h"
#include "render/pixel_trig.h"

#include <cstdint>
#include <vector>

namespace painter {

// World coordinates of a pixel position: x from -6 (left) to 6, y from 4.5 (top) to -4.5.
inline double worldX(const PictureState& s, double column) { return column / s.dx - s.polx; }
inline double worldY(const PictureState& s, double row) { return s.poly - row / s.dy; }

// Distance and angle of the pixel (x, y) to the centre moving on its circle;
// also the sines and cosines of fit and r into t.
void PolarCoords(PictureState& s, PixelTrig& t);

// The sines of the world x of every column, worked out once a picture.
std::vector<double> columnSines(const PictureState& s);

// The arithmetic of one position (s.i, s.j), t.sinX, t.sinY and t.cosY set:
// world coordinates, the moving centre, the three field formulas.
void FieldArithmetic(PictureState& s, PixelTrig& t);

// The arithmetic of the positions of one row from column 0 in scan order
// (sinX: the sines of every column's world x); after each position,
// each(column) with s and t holding its values, until it returns false or
// lastColumn is done. Returns the column after the last one done.
template <typename Each>
int fieldRowWhile(PictureState& s, PixelTrig& t, const std::vector<double>& sinX, int row, int lastColumn,
                  Each&& each) {
    s.j = row;
    const xm::SinCos y = xm::sincos(worldY(s, s.j));
    t.sinY = y.sin;
    t.cosY = y.cos;
    for (int column = 0; column <= lastColumn; ++column) {
        s.i = column;
        t.sinX = sinX[column];
        FieldArithmetic(s, t);
        if (!each(column)) return column + 1;
    }
    return lastColumn + 1;
}

// The same for every position of the row, columns 0..lastColumn.
template <typename Each>
void fieldRow(PictureState& s, PixelTrig& t, const std::vector<double>& sinX, int row, int lastColumn, Each&& each) {
    fieldRowWhile(s, t, sinX, row, lastColumn, [&](int column) {
        each(column);
        return true;
    });
}

// Paints every position of the picture, row by row, letting window events run
// before each row. Returns false when the picture was overtaken meanwhile.
bool PaintField(PictureState& s, Platform& p, std::uint64_t cycle);

}  // namespace painter

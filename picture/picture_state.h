#pragma once
// The one record that every step of a picture reads and writes. It is a plain
// struct on purpose: the steps communicate only through these fields, in the
// order the picture cycle runs them, and a few fields are deliberately reused
// by several steps (i, j, re, gr, bl, col, n, r, ret, grt, blt).
//
// Everything starts at zero or empty and the record is never cleared as a
// whole: values a cycle does not set keep what the previous cycle left.

#include <QString>

#include <array>
#include <cstdint>

namespace painter {

struct PictureState {
    // Geometry, set once at start-up.
    int sir = 0;      // picture width in pixels, last column of the scan
    int vis = 0;      // picture height in pixels, last row of the scan
    double polx = 0;  // half the world width
    double poly = 0;  // half the world height
    double dx = 0;    // pixels per world unit across
    double dy = 0;    // pixels per world unit down

    // Texts.
    QString t1;        // first line of the name prompt
    QString t2;        // second line of the name prompt
    QString t;         // the name as typed; after the name entry, the accepted name
    QString imeslike;  // picture name: "T" and fourteen digits of date and time
    int leto = 2011;   // the year the greeting wishes luck in (--year)

    // Name and seed.
    std::int32_t dolz = 0;                     // length of t in characters
    std::array<std::int16_t, 101> namecode{};  // codes of t's characters, 1..dolz
    std::int32_t seed = 0;

    // Per-picture values.
    double tip1 = 0, tip2 = 0, tip3 = 0;  // formula selectors (whole numbers)
    double pozic0 = 0;                    // colour-table row offset (whole number)
    double fi0 = 0;                       // start angle of the moving centre
    double fi1 = 0;                       // angle travelled so far
    double r0 = 0;                        // radius of the moving centre's circle
    double korakfi1 = 0;                  // angle added per pixel
    double fak1 = 0, fak2 = 0, fak3 = 0;  // channel factors
    double re0 = 0, gr0 = 0, bl0 = 0;     // three draws no step reads
    double rr = 0;                        // brush radius in pixels
    double fr = 0;                        // direction in which rr moves
    double nac = 0;                       // brush mode (whole number)
    // The colour the brush modes fill closed figures with (FillColor). Each
    // mode that sets it leaves it for the modes after it, also in the next
    // picture: black only before the first.
    std::int32_t fillColor = 0;

    // Per-pixel values of the scan, and working fields of later passes.
    double i = 0, j = 0;               // column and row
    double x = 0, y = 0;               // world coordinates
    double fit = 0;                    // angle of the moving centre
    double r = 0;                      // distance to the moving centre; ring radius later
    double fi = 0;                     // arc tangent of the slope to the centre
    double ba = 0;                     // field value
    double re = 0, gr = 0, bl = 0;     // channel values; colour-table and sample colours
    double barva = 0;                  // colour value of the pixel
    double ret = 0, grt = 0, blt = 0;  // colour levels of the pixel; ring colour later
    double n = 0;                      // walk and ornament counter
    std::int32_t col = 0;              // a colour read from a surface

    // Tables, indexed [row][column] from 0.
    std::array<std::array<double, 4>, 611> coltab{};
    std::array<std::array<std::int16_t, 4>, 101> sampletab{};
};

}  // namespace painter

#pragma once
// Which moments of a painting a clip shows, and for how long. A clip is
// counted in ticks of 1/fps seconds: the rows of the scan get most of them,
// evenly spread over the rows, then the ornaments in their order, then the
// finished picture (the greeting written) is held to the end.

#include "platform/problem.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace painter {

enum class ClipFormat { mp4, webp };

// "mp4" or "webp" as a file name's extension spells them.
QStringList clipFormats();
// The format an extension or --format names (any case), or none.
std::optional<ClipFormat> clipFormatNamed(const QString& name);
QString clipExtension(ClipFormat format);
QByteArray clipContentType(ClipFormat format);
// Frames a second: a video plays smoothly at 25; an animated picture
// repeats every frame whole in its file, so it takes fewer.
int clipFps(ClipFormat format);

inline constexpr double kDefaultClipSeconds = 6;
inline constexpr double kShortestClipSeconds = 2;
inline constexpr double kLongestClipSeconds = 30;
// What is wrong with a clip's length, or nothing.
[[nodiscard]] Problem clipSecondsProblem(double seconds);

struct ClipPlan {
    // A frame taken after step `at` (a row, or an ornament's number), shown
    // for `ticks` ticks: more than one when there are more ticks than steps.
    struct Due {
        int at;
        int ticks;
    };
    int fps = 25;
    std::vector<Due> rows;       // ascending; the last is the scan's last row
    std::vector<Due> ornaments;  // ascending; the last is the last ornament
    int holdTicks = 0;           // the finished picture
    int ticks() const;
    int frames() const { return static_cast<int>(rows.size() + ornaments.size()) + 1; }
};

// The plan of a clip `seconds` long (clipSecondsProblem says which are
// allowed) over the rows 0..lastRow and the ornaments 1..ornaments.
ClipPlan planClip(double seconds, int fps, int lastRow, int ornaments);

}  // namespace painter

#include "output/clip_plan.h"

#include <algorithm>
#include <cmath>

namespace painter {

QStringList clipFormats() { return {QStringLiteral("mp4"), QStringLiteral("webp")}; }

std::optional<ClipFormat> clipFormatNamed(const QString& name) {
    const QString lower = name.toLower();
    if (lower == QLatin1String("mp4")) return ClipFormat::mp4;
    if (lower == QLatin1String("webp")) return ClipFormat::webp;
    return std::nullopt;
}

QString clipExtension(ClipFormat format) {
    return format == ClipFormat::mp4 ? QStringLiteral("mp4") : QStringLiteral("webp");
}

QByteArray clipContentType(ClipFormat format) {
    return format == ClipFormat::mp4 ? QByteArrayLiteral("video/mp4") : QByteArrayLiteral("image/webp");
}

int clipFps(ClipFormat format) { return format == ClipFormat::mp4 ? 25 : 10; }

Problem clipSecondsProblem(double seconds) {
    if (std::isfinite(seconds) && seconds >= kShortestClipSeconds && seconds <= kLongestClipSeconds)
        return std::nullopt;
    return QStringLiteral("a clip lasts from %1 to %2 seconds").arg(kShortestClipSeconds).arg(kLongestClipSeconds);
}

int ClipPlan::ticks() const {
    int sum = holdTicks;
    for (const Due& d : rows) sum += d.ticks;
    for (const Due& d : ornaments) sum += d.ticks;
    return sum;
}

namespace {

// `ticks` ticks spread evenly over the steps first..last: tick k shows the
// picture after the step ceil((k + 1) * steps / ticks) - 1 + first; ticks
// that land on one step make one frame shown longer.
std::vector<ClipPlan::Due> spread(int ticks, int first, int last) {
    std::vector<ClipPlan::Due> dues;
    const long long steps = last - first + 1;
    for (long long k = 0; k < ticks; ++k) {
        const int at = static_cast<int>(((k + 1) * steps + ticks - 1) / ticks - 1) + first;
        if (!dues.empty() && dues.back().at == at)
            ++dues.back().ticks;
        else
            dues.push_back({at, 1});
    }
    return dues;
}

}  // namespace

ClipPlan planClip(double seconds, int fps, int lastRow, int ornaments) {
    ClipPlan plan;
    plan.fps = fps;
    const int total = std::max(3, static_cast<int>(std::lround(seconds * fps)));
    // The finished picture stays two seconds, or a third of a short clip.
    plan.holdTicks = std::max(1, static_cast<int>(std::lround(std::min(2.0, seconds / 3) * fps)));
    const int painting = total - plan.holdTicks;
    // The field is most of the making; the ornaments drop in quicker.
    const int rowTicks = std::max(1, static_cast<int>(std::lround(painting * 0.8)));
    const int ornamentTicks = std::max(1, painting - rowTicks);
    plan.rows = spread(rowTicks, 0, lastRow);
    plan.ornaments = spread(ornamentTicks, 1, ornaments);
    return plan;
}

}  // namespace painter

#include "params/picture_parameters.h"

#include <cmath>

namespace painter {

QString pictureName(const std::string& date, const std::string& time) {
    if (date.size() < 10 || time.size() < 8) return {};
    const QString d = QString::fromStdString(date), t = QString::fromStdString(time);
    return QLatin1Char('T') + d.mid(6, 4) + d.mid(0, 2) + d.mid(3, 2) + t.mid(0, 2) + t.mid(3, 2) + t.mid(6, 2);
}

void PickParameters(PictureState& s, Platform& p) {
    // Date first, then time: two separate readings of the clock.
    const std::string date = p.clock.date();
    const std::string time = p.clock.time();
    if (QString name = pictureName(date, time); !name.isEmpty()) s.imeslike = name;

    auto rnd = [&p] { return static_cast<double>(p.rng.next()); };
    // Product and sum are exact in double; Int is taken before the single-precision store.
    s.tip1 = static_cast<float>(std::floor(rnd() * 15 + 1));
    s.tip2 = static_cast<float>(std::floor(rnd() * 3 + 1));
    s.tip3 = static_cast<float>(std::floor(rnd() * 4 + 1));
    s.pozic0 = static_cast<float>(std::floor(rnd() * 300 + 5));
    s.fi0 = rnd() * 6.283;  // kept in double
    s.fi1 = 0;
    s.r0 = static_cast<float>(rnd() * 3 + 1);  // formed in double, stored single
    s.korakfi1 = 0.00002;
    s.fak1 = static_cast<float>(rnd() * 10 + 10);
    s.fak2 = static_cast<float>(rnd() * 10 + 10);
    s.fak3 = static_cast<float>(rnd() * 10 + 10);
}

}  // namespace painter

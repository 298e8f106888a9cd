#pragma once
// Readable GoogleTest messages for the Qt values the window tests compare.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) { *os << '[' << l.join(", ").toStdString() << ']'; }
inline void PrintTo(const QPoint& p, std::ostream* os) { *os << '(' << p.x() << ", " << p.y() << ')'; }
inline void PrintTo(const QSize& s, std::ostream* os) { *os << s.width() << 'x' << s.height(); }
inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << '(' << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ')';
}
inline void PrintTo(const QColor& c, std::ostream* os) { *os << c.name().toStdString(); }

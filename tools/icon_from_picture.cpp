// Build-time tool: the program's icon, cut from one of its own pictures and
// scaled to the hicolor theme's sizes.
//
//   painter_icon PICTURE.png OUTDIR
//
// writes OUTDIR/NxN/apps/painter.png for every size. The square is the part
// of the picture above the greeting, on the right where the ornaments stand;
// text would be noise at icon sizes.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QTextStream>

#include <array>

namespace {

constexpr std::array kSizes{16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kGreetingRow = 490;  // the greeting's first row in a 525-row picture

int fail(const QString& message) {
    QTextStream(stderr) << "painter_icon: " << message << Qt::endl;
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) return fail(QStringLiteral("usage: painter_icon PICTURE.png OUTDIR"));

    const QImage picture(args.at(1));
    if (picture.isNull()) return fail(QStringLiteral("cannot read the picture %1").arg(args.at(1)));
    const int side = std::min(kGreetingRow, picture.height());
    if (picture.width() < side) return fail(QStringLiteral("the picture %1 is too narrow").arg(args.at(1)));
    const QImage square = picture.copy(picture.width() - side, 0, side, side).convertToFormat(QImage::Format_RGB32);

    for (const int size : kSizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args.at(2)).arg(size);
        const QString file = folder + QStringLiteral("/painter.png");
        if (!QDir().mkpath(folder)) return fail(QStringLiteral("cannot create %1").arg(folder));
        const QImage icon = square.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!icon.save(file, "PNG")) return fail(QStringLiteral("cannot write %1").arg(file));
    }
    return 0;
}

#include "output/export_picture.h"

#include "output/picture_file.h"
#include "output/picture_save.h"

#include <QDir>
#include <QFileInfo>

namespace painter {

QString exportPath(const QString& folder, const QString& imeslike) {
    return QDir(folder).filePath(imeslike + QStringLiteral(".bmp"));
}

SaveOutcome ExportPicture(PictureState& s, Platform& p, const QString& ownFile) {
    const int lastColumn = s.sir, lastRow = s.vis;
    for (int column = 0; column <= lastColumn; ++column) {
        s.i = column;
        for (int row = 0; row <= lastRow; ++row) {
            s.j = row;
            s.col = p.picture1.point(static_cast<float>(s.i), static_cast<float>(s.j));
            p.picture2.pset(static_cast<float>(s.i), static_cast<float>(s.j), s.col);
        }
        const float x = static_cast<float>(s.i);
        p.form.line(x + 31, 560, x + 31, 567, rgb(255, 255, 255));
        p.form.line(x + 29, 560, x + 29, 567, rgb(0, 0, 0));
    }
    s.i = lastColumn + 1;
    s.j = lastRow + 1;
    p.window.refresh();

    QString path = exportPath(p.folder, s.imeslike);
    if (s.imeslike.isEmpty()) {
        const QString problem = QStringLiteral("Slike ni mogoče shraniti: ni še nobene slike.");
        p.window.saveFailed(problem);
        return {path, problem};
    }
    // The folder is made at start-up; make it again if it went away meanwhile.
    if (!QDir().mkpath(p.folder)) {
        const QString problem = QStringLiteral("Slike ni mogoče shraniti: mape %1 ni mogoče ustvariti.")
                                    .arg(QDir::toNativeSeparators(p.folder));
        p.window.saveFailed(problem);
        return {path, problem};
    }
    // The picture's own earlier file is replaced; a file of another picture
    // that began in the same second (here or in another program) is kept, and
    // this one gets the next free "-2", "-3", ...
    const SaveOutcome outcome = ownFile.isEmpty() ? savePicture(p.picture2, path, "bmp", SaveMode::NewName)
                                                  : savePicture(p.picture2, ownFile, "bmp", SaveMode::Replace);
    if (!outcome.ok()) {
        p.window.saveFailed(QStringLiteral("Slike ni mogoče shraniti v %1.\nRazlog: %2")
                                .arg(QDir::toNativeSeparators(outcome.path), *outcome.problem));
        return outcome;
    }
    p.window.saved(QDir::toNativeSeparators(QFileInfo(outcome.path).absoluteFilePath()));
    return outcome;
}

}  // namespace painter

#include "app/card_commands.h"

#include "app/batch_command.h"
#include "app/console.h"
#include "output/card_pdf.h"
#include "output/contact_sheet.h"
#include "output/picture_file.h"
#include "output/upscale.h"
#include "params/name_entry.h"
#include "session/batch.h"
#include "session/name_pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <algorithm>

namespace painter {

namespace {

// A file nobody can keep is found before any painting.
Problem fileProblem(const QString& path) { return outputFolderProblem(QFileInfo(path).absolutePath()); }

// The first kReportedLines lines, then how many more there are.
void reportSome(const QString& listName, const QStringList& lines, const char* what) {
    for (qsizetype k = 0; k < std::min<qsizetype>(lines.size(), kReportedLines); ++k)
        err() << programName() << ": " << listName << ": " << lines[k] << '\n';
    if (lines.size() > kReportedLines)
        err() << programName() << ": " << listName << ": \u2026 and " << lines.size() - kReportedLines << " more "
              << what << '\n';
    err().flush();
}

}  // namespace

int runCardBatch(const CommandLineRequest& request, const QList<NameLine>& nameLines, const QString& listName) {
    const bool fromStdin = request.namesFile == QLatin1String("-");
    const QString title = fromStdin ? QStringLiteral("Voščilnice") : QFileInfo(request.namesFile).completeBaseName();

    QStringList problems;
    if (!request.outputDir.isEmpty()) {
        QDir().mkpath(request.outputDir);  // made like --folder
        if (const Problem p = outputFolderProblem(request.outputDir)) problems << *p;
    }
    if (!request.output.isEmpty())
        if (const Problem p = fileProblem(request.output)) problems << *p;
    if (!request.sheet.isEmpty())
        if (const Problem p = fileProblem(request.sheet)) problems << *p;
    if (!problems.isEmpty()) {
        for (const QString& p : problems) err() << programName() << ": " << p << Qt::endl;
        return kExitFailure;
    }

    // The list is checked as for pictures in a folder, so a refusal or a
    // warning reads the same whichever output the list goes to.
    const BatchPlan plan = planNameList(nameLines, {});
    reportSome(listName, plan.refusals, "lines refused");
    reportSome(listName, plan.warnings, "lines with leading or trailing blanks");
    QStringList errors, names;
    QList<int> lines;
    for (const BatchEntry& entry : plan.entries) {
        if (entry.status == BatchEntry::Status::Refused) continue;
        names << entry.name;
        lines << entry.line;
    }
    const int refused = static_cast<int>(plan.refusals.size());
    if (names.isEmpty()) {
        // An empty document or sheet would only hide that nothing could be painted.
        err() << programName() << ": " << listName << ": no name to paint, nothing written" << Qt::endl;
        return kExitFailure;
    }
    const QSize thumbnailSize = sheetThumbnailSize(request.sheet, static_cast<int>(names.size()));
    NamePictures pictures(names, request.jobs > 0 ? request.jobs : QThread::idealThreadCount(), request.year);
    PictureFileNames fileNames;
    QList<SheetEntry> sheet;
    int painted = 0;

    // Every output of one picture, in the list's order.
    auto use = [&](int k) {
        const QImage picture = pictures.take(k);
        if (!request.quiet)
            err() << QStringLiteral("[%1/%2] %3").arg(k + 1).arg(names.size()).arg(names[k]) << Qt::endl;
        if (!request.sheet.isEmpty()) sheet << SheetEntry{names[k], sheetThumbnail(picture, thumbnailSize)};
        Problem problem;
        if (!request.outputDir.isEmpty()) {
            const QString file = QDir(request.outputDir).filePath(fileNames.next(names[k], request.format));
            problem = request.format == QLatin1String("pdf")
                          ? writeCardPdfFile(file, {names[k], request.layout, 1, [&](int) { return picture; }})
                          : writeImageFile(request.scale > 1 ? upscaleImage(picture, request.scale) : picture, file);
            if (problem) errors << QStringLiteral("line %1: %2: %3").arg(lines[k]).arg(file, *problem);
        }
        painted += !problem;
        return picture;
    };

    if (!request.output.isEmpty()) {
        // One document: the PDF writer asks for the cards in order.
        if (const Problem problem = writeCardPdfFile(request.output, {title, request.layout, pictures.count(), use}))
            errors << QStringLiteral("%1: %2").arg(request.output, *problem);
    } else {
        for (int k = 0; k < pictures.count(); ++k) use(k);
    }
    if (!request.sheet.isEmpty()) {
        if (const Problem problem = writeContactSheet(request.sheet, sheet, title))
            errors << QStringLiteral("%1: %2").arg(request.sheet, *problem);
    }

    for (const QString& e : errors) err() << programName() << ": " << listName << ": " << e << Qt::endl;
    err() << programName() << ": painted " << painted << " of " << names.size() + refused << " names" << Qt::endl;
    return errors.isEmpty() && refused == 0 ? kExitOk : kExitFailure;
}

}  // namespace painter

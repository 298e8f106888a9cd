#include "app/card_commands.h"

#include "app/batch_command.h"
#include "app/console.h"
#include "app/stop_signals.h"
#include "output/card_pdf.h"
#include "output/contact_sheet.h"
#include "output/formats.h"
#include "output/picture_file.h"
#include "output/picture_save.h"
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

int runCardBatch(const CommandLineRequest& request, const BatchPlan& plan, const QString& listName) {
    const bool fromStdin = request.namesFile == QLatin1String("-");
    const QString title = fromStdin ? QStringLiteral("Voščilnice") : QFileInfo(request.namesFile).completeBaseName();
    const auto stopped = [] { return stopSignal().load() != 0; };

    QList<const BatchEntry*> entries;
    for (const BatchEntry& e : plan.entries)
        if (e.status == BatchEntry::Status::Pending) entries << &e;
    const int total = static_cast<int>(plan.entries.size());
    if (entries.isEmpty()) {
        // An empty document or sheet would only hide that nothing could be painted.
        err() << programName() << ": " << listName << ": no name to paint, nothing written" << Qt::endl;
        return kExitFailure;
    }
    QStringList names;
    for (const BatchEntry* e : entries) names << e->name;
    NamePictures pictures(names, request.jobs > 0 ? request.jobs : QThread::idealThreadCount(), request.year,
                          &stopSignal());
    const QSize thumbnailSize = sheetThumbnailSize(request.sheet, static_cast<int>(names.size()));
    const PictureFormat* format = findPictureFormat(request.format);
    QStringList errors;
    QList<SheetEntry> sheet;
    int delivered = 0, folderFailed = 0;

    // Every output of one picture, in the list's order; nothing new once a stop signal came.
    auto use = [&](int k) -> QImage {
        if (stopped()) return {};
        const QImage picture = pictures.take(k);
        if (picture.isNull()) return {};
        ++delivered;
        if (!request.quiet)
            err() << QStringLiteral("[%1/%2] %3").arg(k + 1).arg(names.size()).arg(names[k]) << Qt::endl;
        if (!request.sheet.isEmpty()) sheet << SheetEntry{names[k], sheetThumbnail(picture, thumbnailSize)};
        if (!request.outputDir.isEmpty() && format) {
            const PictureOutput output{picture, names[k], request.layout, request.scale};
            const QString& file = entries[k]->file;
            if (const Problem problem =
                    saveFile(file, SaveMode::Replace, [&](QIODevice& d) { return format->write(d, output); }).problem) {
                errors << QStringLiteral("line %1: %2: %3").arg(entries[k]->line).arg(file, *problem);
                ++folderFailed;
            }
        }
        return picture;
    };

    bool whole = true;  // the document and the sheet were written
    if (!request.output.isEmpty()) {
        // One document: the PDF writer asks for the cards in order. Stopped, it is not kept.
        const CardDocument document{title, request.layout, pictures.count(), use};
        const Problem problem = saveFile(request.output, SaveMode::Replace, [&](QIODevice& device) -> Problem {
                                    if (Problem drawn = writeCardPdf(device, document)) return drawn;
                                    if (stopped()) return QStringLiteral("stopped");
                                    return std::nullopt;
                                }).problem;
        if (problem && !stopped()) errors << QStringLiteral("%1: %2").arg(request.output, *problem);
        whole = !problem;
    } else {
        for (int k = 0; k < pictures.count() && !stopped(); ++k) use(k);
    }
    if (!request.sheet.isEmpty() && !stopped()) {
        if (const Problem problem = writeContactSheet(request.sheet, sheet, title)) {
            errors << QStringLiteral("%1: %2").arg(request.sheet, *problem);
            whole = false;
        }
    }

    for (const QString& e : errors) err() << programName() << ": " << listName << ": " << e << Qt::endl;
    // A name counts as painted once every output it goes to holds it.
    const int inFolder = request.outputDir.isEmpty() ? 0 : delivered - folderFailed;
    const int painted = stopped() ? inFolder : whole ? delivered - folderFailed : 0;
    const int failed = stopped() ? folderFailed : static_cast<int>(entries.size()) - painted;
    reportSummary({painted, total, 0, failed, request.outputDir});
    if (const int status = stoppedStatus()) return status;
    return errors.isEmpty() && plan.refusals.isEmpty() ? kExitOk : kExitFailure;
}

}  // namespace painter

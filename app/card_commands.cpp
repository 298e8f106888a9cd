#include "app/card_commands.h"

#include "app/batch.h"
#include "app/name_pictures.h"
#include "output/card_pdf.h"
#include "output/contact_sheet.h"
#include "output/picture_file.h"
#include "output/upscale.h"
#include "params/name_entry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QThread>

#include <cstdio>

namespace painter {

namespace {

bool isPdf(const QString& path) { return QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0; }

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

QString programName() { return QCoreApplication::applicationName(); }

// A file nobody can keep is found before any painting.
QString fileProblem(const QString& path) { return outputFolderProblem(QFileInfo(path).absolutePath()); }

}  // namespace

bool wantsCardOutput(const CommandLineRequest& request) {
    using Kind = CommandLineRequest::Kind;
    if (request.kind == Kind::Single) return isPdf(request.output) || request.scale > 1;
    if (request.kind == Kind::Batch)
        return request.format == QLatin1String("pdf") || !request.output.isEmpty() || !request.sheet.isEmpty();
    return false;
}

int runCardSingle(const CommandLineRequest& request) {
    if (const auto reason = nameRejection(request.name)) {
        err() << programName() << ": the name cannot be painted: " << *reason << Qt::endl;
        return kExitUsage;
    }
    if (const QString problem = fileProblem(request.output); !problem.isEmpty()) {
        err() << programName() << ": cannot write " << request.output << ": " << problem << Qt::endl;
        return kExitFailure;
    }
    const QImage picture = paintNamePicture(request.name);
    QString error;
    const bool written =
        isPdf(request.output)
            ? writeCardPdfFile(request.output, {request.name, request.layout, 1, [&](int) { return picture; }}, &error)
            : writeImageFile(upscaleImage(picture, request.scale), request.output, &error);
    if (!written) {
        err() << programName() << ": cannot write " << request.output << ": " << error << Qt::endl;
        return kExitFailure;
    }
    return kExitOk;
}

int runCardBatch(const CommandLineRequest& request) {
    QFile list;
    const bool fromStdin = request.namesFile == QLatin1String("-");
    if (!openNameList(request.namesFile, list)) {
        err() << programName() << ": cannot read " << request.namesFile << ": " << list.errorString() << Qt::endl;
        return kExitFailure;
    }
    const QString listName = fromStdin ? QStringLiteral("standard input") : request.namesFile;
    const QString title = fromStdin ? QStringLiteral("Voščilnice") : QFileInfo(request.namesFile).completeBaseName();

    QStringList problems;
    if (!request.outputDir.isEmpty()) problems << outputFolderProblem(request.outputDir);
    if (!request.output.isEmpty()) problems << fileProblem(request.output);
    if (!request.sheet.isEmpty()) problems << fileProblem(request.sheet);
    problems.removeAll(QString());
    if (!problems.isEmpty()) {
        for (const QString& p : problems) err() << programName() << ": " << p << Qt::endl;
        return kExitFailure;
    }

    QStringList errors, names;
    QList<int> lines;
    int refused = 0;
    for (const NameLine& n : readNameList(list)) {
        if (const auto why = nameRejection(n.name)) {
            errors << QStringLiteral("line %1: %2").arg(n.line).arg(*why);
            ++refused;
            continue;
        }
        names << n.name;
        lines << n.line;
    }
    if (names.isEmpty()) {
        // An empty document or sheet would only hide that nothing could be painted.
        for (const QString& e : errors) err() << programName() << ": " << listName << ": " << e << Qt::endl;
        err() << programName() << ": " << listName << ": no name to paint, nothing written" << Qt::endl;
        return kExitFailure;
    }
    NamePictures pictures(names, request.jobs > 0 ? request.jobs : QThread::idealThreadCount());
    PictureFileNames fileNames;
    QList<SheetEntry> sheet;
    int painted = 0;

    // Every output of one picture, in the list's order.
    auto use = [&](int k) {
        const QImage picture = pictures.take(k);
        err() << QStringLiteral("[%1/%2] %3").arg(k + 1).arg(names.size()).arg(names[k]) << Qt::endl;
        if (!request.sheet.isEmpty()) sheet << SheetEntry{names[k], sheetThumbnail(picture)};
        bool ok = true;
        if (!request.outputDir.isEmpty()) {
            const QString file = QDir(request.outputDir).filePath(fileNames.next(names[k], request.format));
            QString error;
            ok = request.format == QLatin1String("pdf")
                     ? writeCardPdfFile(file, {names[k], request.layout, 1, [&](int) { return picture; }}, &error)
                     : writeImageFile(upscaleImage(picture, request.scale), file, &error);
            if (!ok) errors << QStringLiteral("line %1: %2: %3").arg(lines[k]).arg(file, error);
        }
        painted += ok;
        return picture;
    };

    if (!request.output.isEmpty()) {
        // One document: the PDF writer asks for the cards in order.
        QString error;
        if (!writeCardPdfFile(request.output, {title, request.layout, pictures.count(), use}, &error))
            errors << QStringLiteral("%1: %2").arg(request.output, error);
    } else {
        for (int k = 0; k < pictures.count(); ++k) use(k);
    }
    if (!request.sheet.isEmpty()) {
        QString error;
        if (!writeContactSheet(request.sheet, contactSheet(sheet), title, &error))
            errors << QStringLiteral("%1: %2").arg(request.sheet, error);
    }

    for (const QString& e : errors) err() << programName() << ": " << listName << ": " << e << Qt::endl;
    err() << programName() << ": painted " << painted << " of " << names.size() + refused << " names" << Qt::endl;
    return errors.isEmpty() ? kExitOk : kExitFailure;
}

}  // namespace painter

#include "session/batch_manifest.h"

#include "output/picture_save.h"
#include "params/name_text.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace painter {

namespace {

bool isCsv(const QString& path) { return QFileInfo(path).suffix().toLower() == QLatin1String("csv"); }

// Every text field quoted, quotes doubled: a refused line may hold anything.
// A cell that a spreadsheet would run as a formula (=, +, -, @, a tab or a
// carriage return first) is defused by a leading apostrophe, which
// spreadsheets take as "text" and do not show.
QByteArray csvField(const QString& text) {
    QString quoted = text;
    static const QString formulaStarts = QStringLiteral("=+-@\t\r");
    if (!quoted.isEmpty() && formulaStarts.contains(quoted.front())) quoted.prepend(QLatin1Char('\''));
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

}  // namespace

Problem manifestProblem(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("jsonl")) return QStringLiteral("use .csv or .jsonl");
    if (QFileInfo(path).isDir()) return QStringLiteral("is a folder");
    return {};
}

QByteArray manifestText(const QString& path, const QList<BatchEntry>& entries) {
    QByteArray text;
    if (isCsv(path)) text += "line,name,file,brush_mode,status,reason\n";
    for (const BatchEntry& e : entries) {
        // A refused line's text is shown, never replayed: its escapes and NULs written as codes.
        const QString name = e.status == BatchEntry::Status::Refused ? visibleText(e.name) : e.name;
        const QString mode = e.brushMode > 0 ? QString::number(e.brushMode) : QString();
        if (isCsv(path)) {
            text += QByteArray::number(e.line) + ',' + csvField(name) + ',' + csvField(e.file) + ',' + mode.toLatin1() +
                    ',' + statusText(e.status).toUtf8() + ',' + csvField(e.reason) + '\n';
            continue;
        }
        QJsonObject record{{"line", e.line}, {"name", name}, {"status", statusText(e.status)}};
        record.insert("file", e.file.isEmpty() ? QJsonValue() : QJsonValue(e.file));
        record.insert("brush_mode", e.brushMode > 0 ? QJsonValue(e.brushMode) : QJsonValue());
        if (!e.reason.isEmpty()) record.insert("reason", e.reason);
        text += QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    }
    return text;
}

Problem writeManifest(const QString& path, const QList<BatchEntry>& entries) {
    const QByteArray text = manifestText(path, entries);
    return saveFile(path, SaveMode::Replace,
                    [&text](QIODevice& device) -> Problem {
                        if (device.write(text) != text.size()) return device.errorString();
                        return std::nullopt;
                    })
        .problem;
}

}  // namespace painter

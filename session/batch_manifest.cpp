#include "session/batch_manifest.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace painter {

namespace {

bool isCsv(const QString& path) { return QFileInfo(path).suffix().toLower() == QLatin1String("csv"); }

// Every text field quoted, quotes doubled: a refused line may hold anything.
QByteArray csvField(const QString& text) {
    QString quoted = text;
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
        const QString mode = e.brushMode > 0 ? QString::number(e.brushMode) : QString();
        if (isCsv(path)) {
            text += QByteArray::number(e.line) + ',' + csvField(e.name) + ',' + csvField(e.file) + ',' +
                    mode.toLatin1() + ',' + statusText(e.status).toUtf8() + ',' + csvField(e.reason) + '\n';
            continue;
        }
        QJsonObject record{{"line", e.line}, {"name", e.name}, {"status", statusText(e.status)}};
        record.insert("file", e.file.isEmpty() ? QJsonValue() : QJsonValue(e.file));
        record.insert("brush_mode", e.brushMode > 0 ? QJsonValue(e.brushMode) : QJsonValue());
        if (!e.reason.isEmpty()) record.insert("reason", e.reason);
        text += QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    }
    return text;
}

Problem writeManifest(const QString& path, const QList<BatchEntry>& entries) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(manifestText(path, entries)) < 0 || !file.commit())
        return file.errorString();
    return {};
}

}  // namespace painter

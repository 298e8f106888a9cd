#include "app/batch.h"

#include "app/name_pictures.h"
#include "app/picture_cycle.h"
#include "output/picture_file.h"
#include "output/upscale.h"
#include "params/name_entry.h"
#include "platform/surface_text.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryFile>

#include <atomic>
#include <cstdio>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace painter {

bool openNameList(const QString& namesFile, QFile& list) {
    if (namesFile == QLatin1String("-")) return list.open(stdin, QIODevice::ReadOnly);
    list.setFileName(namesFile);
    return list.open(QIODevice::ReadOnly);
}

QList<NameLine> readNameList(QIODevice& device) {
    QList<NameLine> names;
    int line = 0;
    while (!device.atEnd()) {
        QByteArray bytes = device.readLine();
        ++line;
        if (bytes.endsWith('\n')) bytes.chop(1);
        if (bytes.endsWith('\r')) bytes.chop(1);
        const QString name = QString::fromUtf8(bytes);
        if (name.trimmed().isEmpty()) continue;
        names.append({line, name});
    }
    return names;
}

QString PictureFileNames::next(const QString& name, const QString& extension) {
    QString stem = name.isEmpty() ? QStringLiteral("prazno") : name;
    stem.replace(QLatin1Char(' '), QLatin1Char('-'));
    const int count = ++seen_[stem];
    if (count > 1) stem += QLatin1Char('-') + QString::number(count);
    return stem + QLatin1Char('.') + extension;
}

QString outputFolderProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.exists()) return QStringLiteral("output folder %1 does not exist").arg(folder);
    if (!info.isDir()) return QStringLiteral("output folder %1 is not a folder").arg(folder);
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".painter-probe-XXXXXX")));
    if (!probe.open()) return QStringLiteral("output folder %1 is not writable: %2").arg(folder, probe.errorString());
    return {};
}

namespace {

struct Job {
    NameLine line;
    QString file;
};

struct Outcome {
    NameLine line;
    QString file;
    QString error;
};

// One picture, painted as the first after start-up, written to `path`.
QString paintOne(const QString& name, const QString& path, int scale) {
    const QImage picture = paintNamePicture(name);
    QString error;
    if (!writeImageFile(scale > 1 ? upscaleImage(picture, scale) : picture, path, &error)) return error;
    return {};
}

}  // namespace

BatchResult paintNameList(const QList<NameLine>& names, const BatchOptions& options) {
    BatchResult result;
    PictureFileNames fileNames;
    std::deque<Job> jobs;
    for (const NameLine& n : names) {
        if (auto why = nameRejection(n.name)) {
            result.errors << QStringLiteral("line %1: %2").arg(n.line).arg(*why);
            continue;
        }
        jobs.push_back({n, QDir(options.outputDir).filePath(fileNames.next(n.name, options.extension))});
    }
    const int total = static_cast<int>(jobs.size());
    captionFont(12);  // the font database is set up once, before any worker uses it

    std::mutex mutex;
    std::condition_variable finished;
    std::deque<Outcome> outcomes;
    std::atomic<std::size_t> nextJob{0};
    auto work = [&] {
        for (std::size_t k = nextJob++; k < jobs.size(); k = nextJob++) {
            const Job& job = jobs[k];
            Outcome o{job.line, job.file, paintOne(job.line.name, job.file, options.scale)};
            std::lock_guard lock(mutex);
            outcomes.push_back(std::move(o));
            finished.notify_one();
        }
    };
    const int workers = std::max(1, std::min(options.workers, total));
    std::vector<std::thread> threads;
    for (int w = 0; w < workers && total > 0; ++w) threads.emplace_back(work);

    for (int done = 0; done < total;) {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return !outcomes.empty(); });
        Outcome o = std::move(outcomes.front());
        outcomes.pop_front();
        lock.unlock();
        ++done;
        if (o.error.isEmpty())
            ++result.painted;
        else
            result.errors << QStringLiteral("line %1: %2: %3").arg(o.line.line).arg(o.file, o.error);
        if (options.progress) options.progress(done, total, o.file);
    }
    for (auto& t : threads) t.join();
    return result;
}

}  // namespace painter

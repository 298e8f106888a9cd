#include "session/batch.h"

#include "output/clip_file.h"
#include "output/formats.h"
#include "output/picture_file.h"
#include "output/picture_save.h"
#include "output/upscale.h"
#include "params/name_entry.h"
#include "params/name_text.h"
#include "platform/surface_text.h"
#include "session/first_picture.h"
#include "session/name_clip.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace painter {

QList<NameLine> parseNameList(const QByteArray& text) {
    QList<NameLine> names;
    int line = 0;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) end = text.size();
        QByteArrayView bytes(text.constData() + start, end - start);
        start = end + 1;
        ++line;
        if (bytes.endsWith('\r')) bytes.chop(1);
        const std::optional<QString> strict = strictUtf8(bytes);
        const QString name = strict ? *strict : QString::fromUtf8(bytes);
        if (name.trimmed().isEmpty()) continue;
        names.append({line, name, strict.has_value()});
    }
    return names;
}

QList<NameLine> readNameList(QIODevice& device) { return parseNameList(device.readAll()); }

ReadBytes readToEnd(int fd, const ReadLimits& limits, const std::atomic<int>* stop) {
    ReadBytes read;
    qsizetype lines = 0;
    char buffer[65536];
    for (;;) {
        if (stop && stop->load() != 0) {
            read.stopped = true;
            read.problem = QStringLiteral("stopped");
            read.bytes.clear();
            return read;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            lines += std::count(buffer, buffer + got, '\n');
            if (read.bytes.size() + got > limits.maxBytes || lines > limits.maxLines) {
                read.problem =
                    read.bytes.size() + got > limits.maxBytes
                        ? QStringLiteral("a list is at most %1 MiB; this one is longer").arg(limits.maxBytes >> 20)
                        : QStringLiteral("a list is at most %1 lines; this one is longer").arg(limits.maxLines);
                read.bytes.clear();
                return read;
            }
            read.bytes.append(buffer, got);
        } else if (got == 0) {
            return read;
        } else if (errno != EINTR) {
            read.problem = QString::fromLocal8Bit(std::strerror(errno));
            return read;
        }
    }
}

QString PictureFileNames::next(const QString& name, const QString& extension) {
    QString stem = name;
    stem.replace(QLatin1Char(' '), QLatin1Char('-'));
    while (stem.startsWith(QLatin1Char('-'))) stem.remove(0, 1);
    if (stem.isEmpty()) stem = QStringLiteral("prazno");
    const int count = ++seen_[stem];
    if (count > 1) stem += QLatin1Char('-') + QString::number(count);
    return stem + QLatin1Char('.') + extension;
}

QString statusText(BatchEntry::Status status) {
    switch (status) {
    case BatchEntry::Status::Pending: return QStringLiteral("pending");
    case BatchEntry::Status::Painted: return QStringLiteral("painted");
    case BatchEntry::Status::Kept: return QStringLiteral("kept");
    case BatchEntry::Status::Refused: return QStringLiteral("refused");
    case BatchEntry::Status::Failed: return QStringLiteral("failed");
    case BatchEntry::Status::NotPainted: return QStringLiteral("not painted");
    }
    return {};
}

namespace {

// Saves are atomic, so a file under a picture's name is whole unless
// something else wrote it; its format's own test says whether it is.
bool completePicture(const QString& path, const BatchOptions& options) {
    if (const auto clip = clipFormatNamed(options.extension)) return completeClipFile(path, *clip);
    const PictureFormat* format = findPictureFormat(options.extension);
    if (!format) return false;
    const QSize size = QSize(Surface::kPictureWidth, Surface::kPictureHeight) * (format->raster ? options.scale : 1);
    return format->complete(path, size);
}

struct Painted {
    Problem problem;
    int brushMode = 0;
};

// One picture, painted as the first after start-up, written to `path`.
Painted paintOne(const QString& name, const QString& path, const BatchOptions& options, bool fieldAhead) {
    if (const auto clip = clipFormatNamed(options.extension)) {
        const NameClip made =
            paintNameClip(name, {.format = *clip, .seconds = options.clipSeconds, .year = options.year,
                                 .fieldAhead = fieldAhead});
        if (made.clip.problem) return {made.clip.problem, made.brushMode};
        const SaveMode mode = options.noClobber ? SaveMode::NoReplace : SaveMode::Replace;
        const QByteArray& bytes = made.clip.bytes;
        const SaveOutcome saved = saveFile(path, mode, [&bytes](QIODevice& device) -> Problem {
            if (device.write(bytes) != bytes.size())
                return QStringLiteral("the file could not be written whole (is the disk full?)");
            return std::nullopt;
        });
        return {saved.problem, made.brushMode};
    }
    FirstPicture picture(name, {.year = options.year, .fieldAhead = fieldAhead});
    const SaveMode mode = options.noClobber ? SaveMode::NoReplace : SaveMode::Replace;
    const PictureFormat* format = findPictureFormat(options.extension);
    if (!format) return {QStringLiteral("no format %1").arg(options.extension), 0};
    const PictureOutput output{surfaceImage(picture.surface()), name, options.layout, options.scale};
    const SaveOutcome saved = saveFile(path, mode, [&](QIODevice& device) { return format->write(device, output); });
    return {saved.problem, static_cast<int>(picture.state().nac)};
}

bool hasOuterBlanks(const QString& name) {
    return name.startsWith(QLatin1Char(' ')) || name.endsWith(QLatin1Char(' '));
}

}  // namespace

BatchPlan planNameList(const QList<NameLine>& names, const BatchOptions& options) {
    BatchPlan plan;
    PictureFileNames fileNames;  // over the whole list, so every shard names a line alike
    const int shards = std::max(1, options.shardCount);
    for (const NameLine& n : names) {
        const Problem why = n.validUtf8 ? nameRejection(n.name) : Problem(QString::fromLatin1(kNotValidUtf8));
        const QString file =
            why ? QString() : QDir(options.outputDir).filePath(fileNames.next(n.name, options.extension));
        if (n.line % shards != options.shardIndex) continue;
        BatchEntry entry;
        entry.line = n.line;
        entry.name = n.name;
        entry.file = file;
        if (why) {
            entry.status = BatchEntry::Status::Refused;
            entry.reason = *why;
        } else if (QFileInfo::exists(file) && options.skipExisting && completePicture(file, options)) {
            entry.status = BatchEntry::Status::Kept;
        } else if (QFileInfo::exists(file) && options.noClobber) {
            entry.status = BatchEntry::Status::Refused;
            entry.reason = QStringLiteral("%1 exists already (--no-clobber)").arg(file);
        }
        if (entry.status == BatchEntry::Status::Refused)
            plan.refusals << QStringLiteral("line %1: %2").arg(n.line).arg(entry.reason);
        else if (hasOuterBlanks(n.name))
            plan.warnings << QStringLiteral(
                                 "line %1: leading or trailing blanks are part of the name '%2' "
                                 "and change its picture")
                                 .arg(n.line)
                                 .arg(n.name);
        plan.entries.append(std::move(entry));
    }
    return plan;
}

BatchResult paintPlan(BatchPlan plan, const BatchOptions& options) {
    BatchResult result;
    result.errors = plan.refusals;
    result.total = static_cast<int>(plan.entries.size());
    std::vector<qsizetype> jobs;
    for (qsizetype k = 0; k < plan.entries.size(); ++k) {
        if (plan.entries[k].status == BatchEntry::Status::Pending) jobs.push_back(k);
        if (plan.entries[k].status == BatchEntry::Status::Kept) ++result.kept;
    }
    const int total = static_cast<int>(jobs.size());
    captionFont(12);  // the font database is set up once, before any worker uses it

    struct Outcome {
        qsizetype entry;
        Painted painted;
    };
    std::mutex mutex;
    std::condition_variable finished;
    std::deque<Outcome> outcomes;
    std::atomic<std::size_t> nextJob{0};
    std::atomic<int> running{0};
    const auto stopped = [&options] { return options.stop && options.stop->load() != 0; };
    const int workers = std::max(1, std::min(options.workers, total));
    const bool fieldAhead = options.fieldAhead.value_or(workers == 1);
    auto work = [&] {
        for (std::size_t k = nextJob++; k < jobs.size() && !stopped(); k = nextJob++) {
            const BatchEntry& e = plan.entries.at(jobs[k]);  // at(): never a copy of the list on a worker
            Outcome o{jobs[k], paintOne(e.name, e.file, options, fieldAhead)};
            std::lock_guard lock(mutex);
            outcomes.push_back(std::move(o));
            finished.notify_one();
        }
        std::lock_guard lock(mutex);
        --running;
        finished.notify_one();
    };
    std::vector<std::thread> threads;
    running = total > 0 ? workers : 0;
    for (int w = 0; w < workers && total > 0; ++w) threads.emplace_back(work);

    for (int done = 0; done < total;) {
        std::unique_lock lock(mutex);
        // A signal only sets a flag; waking now and then notices it.
        finished.wait_for(lock, std::chrono::milliseconds(100), [&] { return !outcomes.empty() || running == 0; });
        if (outcomes.empty()) {
            if (running == 0) break;  // stopped: no picture is in hand any more
            continue;
        }
        Outcome o = std::move(outcomes.front());
        outcomes.pop_front();
        lock.unlock();
        ++done;
        BatchEntry& e = plan.entries[o.entry];
        e.brushMode = o.painted.brushMode;
        if (!o.painted.problem) {
            e.status = BatchEntry::Status::Painted;
            ++result.painted;
        } else {
            e.status = BatchEntry::Status::Failed;
            e.reason = *o.painted.problem;
            result.errors << QStringLiteral("line %1: %2: %3").arg(e.line).arg(e.file, e.reason);
        }
        if (options.progress) options.progress(done, total, e.file);
    }
    for (auto& t : threads) t.join();
    for (BatchEntry& e : plan.entries) {
        if (e.status != BatchEntry::Status::Pending) continue;
        e.status = BatchEntry::Status::NotPainted;
        result.interrupted = true;
    }
    result.entries = std::move(plan.entries);
    return result;
}

BatchResult paintNameList(const QList<NameLine>& names, const BatchOptions& options) {
    return paintPlan(planNameList(names, options), options);
}

}  // namespace painter

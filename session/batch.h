#pragma once
// Pictures for a whole list of names, without a window, on every core.
// A batch is planned first (every line checked, every file named) and painted
// after, so refusals are known before the first picture.

#include "output/card_layout.h"
#include "output/output_folder.h"
#include "platform/problem.h"

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace painter {

struct NameLine {
    int line = 0;  // 1-based line number in the list
    QString name;  // a line that is not UTF-8: its text with U+FFFD for what is not
    bool validUtf8 = true;
};

// The names of a UTF-8 list, one a line; lines that are empty or hold only
// white space are skipped, and a line's end ("\n" or "\r\n") is not part of it.
// A line that is not UTF-8 is kept, to be refused with its number.
QList<NameLine> parseNameList(const QByteArray& text);
QList<NameLine> readNameList(QIODevice& device);

struct ReadBytes {
    QByteArray bytes;
    Problem problem;       // why a read failed or was given up, in English
    bool stopped = false;  // a stop signal came while reading
};

// What a list may hold: an endless input (/dev/zero, a stream that never
// ends) is refused at this size instead of filling the memory.
struct ReadLimits {
    qsizetype maxBytes = qsizetype(64) << 20;
    qsizetype maxLines = 1000000;
};

// Reads an open file descriptor to its end with blocking reads, whatever it
// is (a file, a pipe, a named pipe, a terminal), up to the limits. `stop`,
// once set (by a stop signal, which also ends a blocked read), ends the
// reading at once.
[[nodiscard]] ReadBytes readToEnd(int fd, const ReadLimits& limits = {}, const std::atomic<int>* stop = nullptr);

// The file name of a picture: blanks become "-", leading blanks are left out
// (a file name never begins with "-", which commands take for an option), the
// empty name is "prazno", and a name met again gets "-2", "-3", ...
class PictureFileNames {
public:
    QString next(const QString& name, const QString& extension);

private:
    QHash<QString, int> seen_;
};

struct BatchOptions {
    QString outputDir;
    QString extension = QStringLiteral("png");  // a format of the format table (output/formats.h), or a clip's "mp4" or "webp"
    double clipSeconds = 6;                     // the length of a clip
    int workers = 1;
    bool skipExisting = false;  // a complete picture already there is kept
    bool noClobber = false;     // an existing file is never replaced: its line is refused
    int shardIndex = 0;         // only lines whose number is shardIndex modulo shardCount
    int shardCount = 1;
    int year = 2011;    // the year on the greeting
    int scale = 1;      // .bmp/.png: each pixel written as a scale x scale block
    CardLayout layout;  // .pdf: the card's page
    // Each picture's field arithmetic ahead on a second thread. Unset: only
    // when one worker paints (--jobs 1, or a list of one name), which leaves
    // the other cores idle; more workers already keep every core busy.
    std::optional<bool> fieldAhead;
    // Set (by a signal) to stop: pictures in hand are finished, no new one begins.
    const std::atomic<int>* stop = nullptr;
    // Called on the calling thread after each picture, in completion order.
    std::function<void(int done, int total, const QString& file)> progress;
};

// What became of one line of the list.
struct BatchEntry {
    enum class Status { Pending, Painted, Kept, Refused, Failed, NotPainted };
    int line = 0;
    QString name;
    QString file;       // the picture's path (also for a refused line when it has one)
    int brushMode = 0;  // 1-18 once painted
    Status status = Status::Pending;
    QString reason;  // Refused, Failed
};

QString statusText(BatchEntry::Status status);

struct BatchPlan {
    QList<BatchEntry> entries;  // the shard's lines, in list order
    QStringList refusals;       // "line 3: ..." for every line that will not be painted
    QStringList warnings;       // "line 4: ..." for lines painted as they are, but maybe not as meant
};

struct BatchResult {
    int painted = 0;
    int kept = 0;
    int total = 0;  // the lines of the shard
    bool interrupted = false;
    QStringList errors;  // refusals, then pictures that could not be written
    QList<BatchEntry> entries;
};

// Checks every line and names every file; paints nothing.
BatchPlan planNameList(const QList<NameLine>& names, const BatchOptions& options);

// Paints every pending line of the plan as the first picture after start-up,
// so a name gives the picture the window paints for it first, whatever else
// the list holds (the fill colour a picture leaves to the next one stays out).
BatchResult paintPlan(BatchPlan plan, const BatchOptions& options);

// planNameList, then paintPlan.
BatchResult paintNameList(const QList<NameLine>& names, const BatchOptions& options);

}  // namespace painter

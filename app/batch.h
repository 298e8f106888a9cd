#pragma once
// Pictures for a whole list of names, without a window, on every core.

#include <QFile>
#include <QHash>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace painter {

struct NameLine {
    int line = 0;   // 1-based line number in the list
    QString name;
};

// Opens a list of names for reading: the file, or standard input for "-".
bool openNameList(const QString& namesFile, QFile& list);

// The names of a UTF-8 list, one a line; lines that are empty or hold only
// white space are skipped, and a line's end ("\n" or "\r\n") is not part of it.
QList<NameLine> readNameList(QIODevice& device);

// The file name of a picture: blanks become "-", the empty name is "prazno",
// and a name met again gets "-2", "-3", ... Keeps track of the names it gave.
class PictureFileNames {
public:
    QString next(const QString& name, const QString& extension);

private:
    QHash<QString, int> seen_;
};

struct BatchOptions {
    QString outputDir;
    QString extension = QStringLiteral("bmp");  // "bmp" or "png"
    int workers = 1;
    int scale = 1;  // each pixel written as a scale x scale block
    // Called on the calling thread after each name, in completion order.
    std::function<void(int done, int total, const QString& file)> progress;
};

struct BatchResult {
    int painted = 0;
    QStringList errors;  // "line 3: ..." for every name that gave no picture
};

// Checks that pictures can be written into the folder, by writing a probe
// file there; returns the reason when they cannot.
QString outputFolderProblem(const QString& folder);

// Paints every accepted name as the first picture after start-up, so a name
// gives the picture the window paints for it first, whatever else the list
// holds (the fill colour a picture leaves to the next one stays out of it).
BatchResult paintNameList(const QList<NameLine>& names, const BatchOptions& options);

}  // namespace painter

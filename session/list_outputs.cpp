#include "session/list_outputs.h"

#include "output/output_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <sys/stat.h>

#include <vector>

namespace painter {

namespace {

// One file as the system knows it: an existing one by its device and inode
// (a link or a second path to it is the same file), a new one by the
// resolved path it will have.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    QString folder;  // resolved
    QString name;
};

FileIdentity identify(const QString& path) {
    FileIdentity id;
    struct stat there {};
    if (::stat(QFile::encodeName(path).constData(), &there) == 0) {
        id.exists = true;
        id.device = there.st_dev;
        id.inode = there.st_ino;
    }
    const QFileInfo info(path);
    const QString resolved = info.exists() ? info.canonicalFilePath() : QString();
    const QFileInfo file(resolved.isEmpty() ? info.absoluteFilePath() : resolved);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    id.folder = folder.isEmpty() ? QDir::cleanPath(file.absolutePath()) : folder;
    id.name = file.fileName();
    return id;
}

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    if (a.exists && b.exists) return a.device == b.device && a.inode == b.inode;
    return a.folder == b.folder && a.name == b.name;
}

struct Role {
    const char* option;
    const char* what;
    QString path;
};

}  // namespace

Problem listOutputsProblem(const ListRoles& roles, const BatchPlan& plan) {
    if (!roles.folder.isEmpty()) {
        if (Problem problem = makeOutputFolder(roles.folder)) return problem;
        if (Problem problem = outputFolderProblem(roles.folder)) return problem;
    }
    std::vector<Role> files;
    if (roles.list != QLatin1String("-") && !roles.list.isEmpty()) files.push_back({"--names", "the list", roles.list});
    if (!roles.document.isEmpty()) files.push_back({"--output", "the document", roles.document});
    if (!roles.sheet.isEmpty()) files.push_back({"--sheet", "the contact sheet", roles.sheet});
    if (!roles.manifest.isEmpty()) files.push_back({"--manifest", "the manifest", roles.manifest});

    std::vector<FileIdentity> ids;
    for (const Role& role : files) ids.push_back(identify(role.path));
    for (std::size_t a = 0; a < files.size(); ++a)
        for (std::size_t b = a + 1; b < files.size(); ++b)
            if (sameFile(ids[a], ids[b]))
                return QStringLiteral("%1 %2 is also %3 (%4 %5): give each its own file")
                    .arg(QLatin1String(files[b].option), files[b].path, QLatin1String(files[a].what),
                         QLatin1String(files[a].option), files[a].path);

    // A picture's file: every file the plan names lies in the folder.
    if (!roles.folder.isEmpty()) {
        const QString folder = QFileInfo(roles.folder).canonicalFilePath();
        QHash<QString, const BatchEntry*> pictures;
        for (const BatchEntry& e : plan.entries)
            if (!e.file.isEmpty() && e.status != BatchEntry::Status::Refused)
                pictures.insert(QFileInfo(e.file).fileName(), &e);
        for (std::size_t k = 0; k < files.size(); ++k) {
            const FileIdentity& id = ids[k];
            if (id.folder != folder) continue;
            if (const BatchEntry* e = pictures.value(id.name))
                return QStringLiteral("%1 %2 is also the picture of line %3 (%4): give it a file of its own")
                    .arg(QLatin1String(files[k].option), files[k].path)
                    .arg(e->line)
                    .arg(e->name);
        }
    }

    for (const Role& role : files) {
        if (QLatin1String(role.option) == QLatin1String("--names")) continue;
        if (Problem problem = outputFileProblem(role.path))
            return QStringLiteral("cannot write %1 %2: %3").arg(QLatin1String(role.what), role.path, *problem);
    }
    return std::nullopt;
}

}  // namespace painter

#include "output/picture_file.h"

#include "output/picture_save.h"
#include "platform/surface_image.h"

#include <QFileInfo>
#include <QSaveFile>

namespace painter {

QImage surfaceImage(const Surface& surface) {
    return wrapSurfacePixels(surface).convertToFormat(QImage::Format_RGB888);
}

Problem writeImageFile(const QImage& image, const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!imageFormats().contains(suffix))
        return QStringLiteral("unknown picture format '%1' (use .bmp or .png)").arg(suffix);
    return writeFileAtomically(path, [&](QIODevice& file) {
        return writeImage(file, image.convertToFormat(QImage::Format_RGB888), suffix.toLatin1());
    });
}

namespace {

// Passes writes on to the file and remembers a short one. A disk that fills
// up in the middle of a write takes part of it and reports no error, and some
// writers (the PDF writer) never look at what a write returns: without this
// the rename would put a truncated file in place.
class ShortWriteGuard : public QIODevice {
public:
    explicit ShortWriteGuard(QIODevice& target) : target_(target) { open(QIODevice::WriteOnly); }
    bool shortWrite() const { return shortWrite_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        const qint64 written = target_.write(data, size);
        if (written != size) shortWrite_ = true;
        return written;
    }

private:
    QIODevice& target_;
    bool shortWrite_ = false;
};

}  // namespace

Problem writeFileAtomically(const QString& path, const FileWriter& write) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    ShortWriteGuard guarded(file);
    const Problem refused = write(guarded);
    if (refused || guarded.shortWrite() || !file.flush() || file.error() != QFileDevice::NoError) {
        // The device's own reason first: a writer that gave up on it only saw
        // the symptom. Taken before cancelling, which sets an error of its own.
        Problem problem = refused;
        if (file.error() != QFileDevice::NoError)
            problem = file.errorString();
        else if (!refused)
            problem = QStringLiteral("the file could not be written whole (is the disk full?)");
        file.cancelWriting();
        return problem;
    }
    if (!file.commit()) return file.errorString();
    return std::nullopt;
}

}  // namespace painter

#include "output/picture_file.h"

#include "output/picture_save.h"
#include "platform/surface_image.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace painter {

QImage surfaceImage(const Surface& surface) {
    return wrapSurfacePixels(surface).convertToFormat(QImage::Format_RGB888);
}

bool writeImageFile(const QImage& image, const QString& path, QString* error) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (!imageFormats().contains(suffix)) {
        if (error) *error = QStringLiteral("unknown picture format '%1' (use .bmp or .png)").arg(suffix);
        return false;
    }
    return writeFileAtomically(
        path,
        [&](QIODevice& file, QString* why) {
            QImageWriter writer(&file, suffix.toLatin1());
            if (writer.write(image.convertToFormat(QImage::Format_RGB888))) return true;
            if (why) *why = writer.errorString();
            return false;
        },
        error);
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

bool writeFileAtomically(const QString& path, const std::function<bool(QIODevice&, QString* error)>& write,
                         QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    QString reason;
    ShortWriteGuard guarded(file);
    const bool written = write(guarded, &reason);
    if (!written || guarded.shortWrite() || !file.flush() || file.error() != QFileDevice::NoError) {
        if (error) {
            if (file.error() != QFileDevice::NoError)
                *error = file.errorString();
            else if (written)
                *error = QStringLiteral("the file could not be written whole (is the disk full?)");
            else
                *error = reason;
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace painter

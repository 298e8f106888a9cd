#pragma once
// Reading clips back in tests as players would: ffprobe and ffmpeg (package
// ffmpeg) for MP4, webpmux (package webp) and libwebp's animation decoder
// for WebP.

#include "pdf_tools.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>

#include <webp/demux.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace painter::testing {

// ffprobe's view of the first video stream and the container.
struct ProbedVideo {
    QString codec, pixelFormat;
    int width = 0, height = 0, frames = 0;
    double seconds = 0;
};

inline ProbedVideo probeVideo(const QString& file) {
    const ToolRun t = runTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                                          "stream=codec_name,pix_fmt,width,height,nb_read_frames:format=duration",
                                          "-of", "json", file});
    EXPECT_EQ(t.exitCode, 0) << "ffprobe (package ffmpeg) is needed: " << t.out.toStdString();
    const QJsonObject top = QJsonDocument::fromJson(t.out).object();
    const QJsonObject stream = top["streams"].toArray().first().toObject();
    return {stream["codec_name"].toString(),  stream["pix_fmt"].toString(),
            stream["width"].toInt(),          stream["height"].toInt(),
            stream["nb_read_frames"].toString().toInt(), top["format"].toObject()["duration"].toString().toDouble()};
}

// The last frame of a video as ffmpeg decodes it, in yuv420p planes.
inline QByteArray lastFrameYuv(const QString& file, int width, int height) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("last.yuv");
    const ToolRun t = runTool("ffmpeg", {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "yuv420p", raw});
    EXPECT_EQ(t.exitCode, 0) << t.out.toStdString();
    QFile f(raw);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const qint64 frame = static_cast<qint64>(width) * height * 3 / 2;
    if (f.size() < frame) return {};
    f.seek(f.size() - frame);
    return f.read(frame);
}

// An image file turned into yuv420p planes by ffmpeg, as a video of it would hold it.
inline QByteArray imageYuv(const QString& file) {
    const ToolRun t = runTool("ffmpeg", {"-v", "error", "-i", file, "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
    EXPECT_EQ(t.exitCode, 0) << t.out.toStdString();
    return t.out;
}

// Peak signal-to-noise ratio of bytes [from, from + count) of two buffers, in dB.
inline double psnr(const QByteArray& a, const QByteArray& b, qsizetype from, qsizetype count) {
    if (a.size() < from + count || b.size() < from + count) return 0;
    double squares = 0;
    for (qsizetype k = from; k < from + count; ++k) {
        const double d = static_cast<unsigned char>(a[k]) - static_cast<unsigned char>(b[k]);
        squares += d * d;
    }
    if (squares == 0) return INFINITY;
    return 10 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(count)));
}

// webpmux's view of an animation: per frame its duration and compression.
struct MuxedFrame {
    int durationMs = 0;
    QString compression;
};
struct MuxedAnimation {
    int width = 0, height = 0;
    std::vector<MuxedFrame> frames;
};

inline MuxedAnimation muxInfo(const QString& file) {
    const ToolRun t = runTool("webpmux", {"-info", file});
    EXPECT_EQ(t.exitCode, 0) << "webpmux (package webp) is needed: " << t.out.toStdString();
    MuxedAnimation info;
    for (const QByteArray& line : t.out.split('\n')) {
        const QString text = QString::fromUtf8(line).simplified();
        if (text.startsWith("Canvas size:")) {
            const QStringList parts = text.mid(12).split(QLatin1Char('x'));
            info.width = parts.value(0).trimmed().toInt();
            info.height = parts.value(1).trimmed().toInt();
        }
        // "  1:   700   525    no        0        0      100       none    no      34360    lossless"
        const QStringList fields = text.split(QLatin1Char(' '));
        bool numbered = false;
        if (fields.size() == 11 && fields[0].endsWith(QLatin1Char(':')) && (fields[0].chopped(1).toInt(&numbered), numbered))
            info.frames.push_back({fields[6].toInt(), fields[10]});
    }
    return info;
}

// Every frame of an animated WebP composed onto its canvas, RGBA, with the
// time each ends at.
struct DecodedFrame {
    std::vector<std::uint8_t> rgba;
    int endMs = 0;
};

inline std::vector<DecodedFrame> decodeAnimation(const QByteArray& bytes) {
    std::vector<DecodedFrame> frames;
    WebPData data{reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return frames;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    const std::size_t size = static_cast<std::size_t>(info.canvas_width) * info.canvas_height * 4;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        std::uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) break;
        frames.push_back({std::vector<std::uint8_t>(pixels, pixels + size), timestamp});
    }
    WebPAnimDecoderDelete(decoder);
    return frames;
}

}  // namespace painter::testing

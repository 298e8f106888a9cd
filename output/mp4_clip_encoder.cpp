// MP4 clips: H.264 in yuv420p through FFmpeg's libraries, the moov atom
// moved to the front (+faststart) so a browser plays the clip while it loads.
//
// 4:2:0 needs an even height; the picture is 525 rows high, so the video has
// 526: the picture's last row is repeated below it. A repeated row (not a
// black one) keeps the colour of the bottom row's chroma samples its own.
//
// The muxer's +faststart reads the file back and rewrites it, so the clip is
// made in a temporary file and read into memory when it is finished.

#include "output/clip_encoder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace painter {

namespace {

QString avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

class Mp4ClipEncoder : public ClipEncoder {
public:
    Mp4ClipEncoder(int fps, int width, int height)
        : fps_(fps), width_(width), height_(height), evenHeight_(height + height % 2) {}
    ~Mp4ClipEncoder() override { release(); }

    Problem open();
    Problem add(const Surface& picture, int ticks) override;
    ClipBytes finish() override;

private:
    Problem fail(const QString& what, int code) {
        if (!problem_) problem_ = what + QStringLiteral(": ") + avError(code);
        return problem_;
    }
    Problem drain();
    void release();
    QString writeFailure() const {
        return QStringLiteral("cannot write the clip's temporary file in %1").arg(QDir::tempPath());
    }

    const int fps_, width_, height_, evenHeight_;
    QTemporaryFile file_{QDir(QDir::tempPath()).filePath(QStringLiteral("painter-clip-XXXXXX.mp4"))};
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVStream* stream_ = nullptr;
    SwsContext* scale_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    std::vector<std::uint32_t> padded_;  // the picture and its repeated last row
    std::int64_t pts_ = 0;
    bool headerWritten_ = false;
    Problem problem_;
};

Problem Mp4ClipEncoder::open() {
    if (!file_.open()) return problem_ = QStringLiteral("no temporary file for the clip: ") + file_.errorString();
    const QByteArray path = QFile::encodeName(file_.fileName());
    // The library's own lines would only repeat what the message says.
    av_log_set_level(AV_LOG_QUIET);
    if (const int e = avformat_alloc_output_context2(&format_, nullptr, "mp4", path.constData()); e < 0)
        return fail(QStringLiteral("no MP4 muxer"), e);
    const AVCodec* h264 = avcodec_find_encoder_by_name("libx264");
    if (!h264) h264 = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!h264) return problem_ = QStringLiteral("this FFmpeg has no H.264 encoder");
    stream_ = avformat_new_stream(format_, nullptr);
    codec_ = avcodec_alloc_context3(h264);
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!stream_ || !codec_ || !frame_ || !packet_) return fail(QStringLiteral("out of memory"), AVERROR(ENOMEM));
    codec_->width = width_;
    codec_->height = evenHeight_;
    codec_->pix_fmt = AV_PIX_FMT_YUV420P;
    codec_->time_base = AVRational{1, fps_};
    codec_->framerate = AVRational{fps_, 1};
    codec_->gop_size = 2 * fps_;
    // What swscale produces by default: BT.601 in the limited range, said so
    // in the stream, so players turn it back into the same colours.
    codec_->color_range = AVCOL_RANGE_MPEG;
    codec_->colorspace = AVCOL_SPC_SMPTE170M;
    codec_->color_primaries = AVCOL_PRI_SMPTE170M;
    codec_->color_trc = AVCOL_TRC_SMPTE170M;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // The fastest preset: a 6 s clip of the slowest brush mode stays within
    // the time the README's table gives; its stream is constrained baseline,
    // which every player and messaging app takes. crf 18 keeps the finished
    // picture's luma well above 40 dB.
    AVDictionary* codecOptions = nullptr;
    av_dict_set(&codecOptions, "preset", "ultrafast", 0);
    av_dict_set(&codecOptions, "crf", "18", 0);
    const int opened = avcodec_open2(codec_, h264, &codecOptions);
    av_dict_free(&codecOptions);
    if (opened < 0) return fail(QStringLiteral("cannot start the H.264 encoder"), opened);
    if (const int e = avcodec_parameters_from_context(stream_->codecpar, codec_); e < 0)
        return fail(QStringLiteral("cannot start the H.264 encoder"), e);
    stream_->time_base = codec_->time_base;
    if (const int e = avio_open(&format_->pb, path.constData(), AVIO_FLAG_WRITE); e < 0)
        return fail(QStringLiteral("cannot open the temporary file"), e);
    AVDictionary* muxOptions = nullptr;
    av_dict_set(&muxOptions, "movflags", "+faststart", 0);
    const int header = avformat_write_header(format_, &muxOptions);
    av_dict_free(&muxOptions);
    if (header < 0) return fail(writeFailure(), header);
    headerWritten_ = true;
    frame_->format = codec_->pix_fmt;
    frame_->width = width_;
    frame_->height = evenHeight_;
    if (const int e = av_frame_get_buffer(frame_, 0); e < 0) return fail(QStringLiteral("out of memory"), e);
    scale_ = sws_getContext(width_, evenHeight_, AV_PIX_FMT_RGB0, width_, evenHeight_, AV_PIX_FMT_YUV420P,
                            SWS_BICUBIC | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    if (!scale_) return problem_ = QStringLiteral("cannot convert the picture to YUV");
    padded_.resize(static_cast<std::size_t>(width_) * evenHeight_);
    return std::nullopt;
}

Problem Mp4ClipEncoder::drain() {
    for (;;) {
        const int got = avcodec_receive_packet(codec_, packet_);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return std::nullopt;
        if (got < 0) return fail(QStringLiteral("the H.264 encoder failed"), got);
        if (packet_->duration == 0) packet_->duration = 1;
        av_packet_rescale_ts(packet_, codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        if (const int e = av_interleaved_write_frame(format_, packet_); e < 0)
            return fail(writeFailure(), e);
    }
}

Problem Mp4ClipEncoder::add(const Surface& picture, int ticks) {
    if (problem_) return problem_;
    if (picture.width() != width_ || picture.height() != height_)
        return problem_ = QStringLiteral("a frame of another size");
    const std::size_t rowWords = static_cast<std::size_t>(width_);
    std::memcpy(padded_.data(), picture.pixels(), rowWords * height_ * sizeof(std::uint32_t));
    if (evenHeight_ != height_)
        std::memcpy(padded_.data() + rowWords * height_, picture.pixels() + rowWords * (height_ - 1),
                    rowWords * sizeof(std::uint32_t));
    if (const int e = av_frame_make_writable(frame_); e < 0) return fail(QStringLiteral("out of memory"), e);
    const std::uint8_t* source[1] = {reinterpret_cast<const std::uint8_t*>(padded_.data())};
    const int stride[1] = {width_ * 4};
    sws_scale(scale_, source, stride, 0, evenHeight_, frame_->data, frame_->linesize);
    // A frame shown longer is sent again: a video of constant frame rate
    // plays alike everywhere, and an unchanged frame costs a few bytes.
    for (int k = 0; k < ticks; ++k) {
        frame_->pts = pts_++;
        if (const int e = avcodec_send_frame(codec_, frame_); e < 0)
            return fail(QStringLiteral("the H.264 encoder failed"), e);
        if (Problem p = drain()) return p;
    }
    return std::nullopt;
}

ClipBytes Mp4ClipEncoder::finish() {
    ClipBytes clip{{}, clipContentType(ClipFormat::mp4), problem_};
    if (clip.problem) return clip;
    if (const int e = avcodec_send_frame(codec_, nullptr); e < 0)
        clip.problem = fail(QStringLiteral("the H.264 encoder failed"), e);
    else if (Problem p = drain())
        clip.problem = p;
    else if (const int t = av_write_trailer(format_); t < 0)
        clip.problem = fail(writeFailure(), t);
    headerWritten_ = false;
    if (!clip.problem && format_->pb->error < 0) clip.problem = fail(writeFailure(), format_->pb->error);
    if (const int e = avio_closep(&format_->pb); !clip.problem && e < 0)
        clip.problem = fail(writeFailure(), e);
    if (clip.problem) return clip;
    QFile written(file_.fileName());
    if (!written.open(QIODevice::ReadOnly)) {
        clip.problem = QStringLiteral("cannot read the clip back: ") + written.errorString();
        return clip;
    }
    clip.bytes = written.readAll();
    return clip;
}

void Mp4ClipEncoder::release() {
    if (format_) {
        if (headerWritten_) av_write_trailer(format_);
        if (format_->pb) avio_closep(&format_->pb);
        avformat_free_context(format_);
        format_ = nullptr;
    }
    avcodec_free_context(&codec_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    sws_freeContext(scale_);
    scale_ = nullptr;
}

}  // namespace

MadeEncoder makeMp4ClipEncoder(int fps, int width, int height) {
    auto encoder = std::make_unique<Mp4ClipEncoder>(fps, width, height);
    if (Problem problem = encoder->open()) return {nullptr, problem};
    return {std::move(encoder), std::nullopt};
}

}  // namespace painter

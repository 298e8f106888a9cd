// Animated WebP clips through libwebp's animation encoder, every frame
// lossless: the last frame is the picture pixel for pixel, and so is every
// frame before it the picture as it stood. The encoder stores only the part
// of a frame that changed since the one before, so a frame after a few rows
// costs about those rows.

#include "output/clip_encoder.h"

#include <webp/encode.h>
#include <webp/mux.h>

namespace painter {

namespace {

class WebpClipEncoder : public ClipEncoder {
public:
    WebpClipEncoder(int fps, int width, int height) : fps_(fps), width_(width), height_(height) {}
    ~WebpClipEncoder() override {
        if (encoder_) WebPAnimEncoderDelete(encoder_);
    }

    Problem open() {
        WebPAnimEncoderOptions options;
        if (!WebPAnimEncoderOptionsInit(&options)) return problem_ = QStringLiteral("libwebp is not the one built with");
        options.anim_params.loop_count = 0;  // plays again and again, as an animation on a page does
        options.anim_params.bgcolor = 0xFF000000;
        options.allow_mixed = 0;
        encoder_ = WebPAnimEncoderNew(width_, height_, &options);
        if (!encoder_) return problem_ = QStringLiteral("cannot start the WebP encoder");
        if (!WebPConfigInit(&config_) || !WebPConfigLosslessPreset(&config_, kLosslessLevel))
            return problem_ = QStringLiteral("cannot set up the WebP encoder");
        config_.lossless = 1;
        return std::nullopt;
    }

    Problem add(const Surface& picture, int ticks) override {
        if (problem_) return problem_;
        if (picture.width() != width_ || picture.height() != height_)
            return problem_ = QStringLiteral("a frame of another size");
        WebPPicture frame;
        if (!WebPPictureInit(&frame)) return problem_ = QStringLiteral("libwebp is not the one built with");
        frame.use_argb = 1;
        frame.width = width_;
        frame.height = height_;
        // The surface's words are R, G, B, X in memory.
        const bool imported =
            WebPPictureImportRGBX(&frame, reinterpret_cast<const std::uint8_t*>(picture.pixels()), width_ * 4);
        const bool added = imported && WebPAnimEncoderAdd(encoder_, &frame, timestamp(), &config_);
        WebPPictureFree(&frame);
        if (!imported) return problem_ = QStringLiteral("out of memory");
        if (!added) return problem_ = QStringLiteral("the WebP encoder failed: ") + encoderError();
        ticks_ += ticks;
        return std::nullopt;
    }

    ClipBytes finish() override {
        ClipBytes clip{{}, clipContentType(ClipFormat::webp), problem_};
        if (clip.problem) return clip;
        WebPData data;
        WebPDataInit(&data);
        // The end time gives the last frame its length.
        if (!WebPAnimEncoderAdd(encoder_, nullptr, timestamp(), nullptr) ||
            !WebPAnimEncoderAssemble(encoder_, &data)) {
            clip.problem = QStringLiteral("the WebP encoder failed: ") + encoderError();
            return clip;
        }
        clip.bytes = QByteArray(reinterpret_cast<const char*>(data.bytes), static_cast<qsizetype>(data.size));
        WebPDataClear(&data);
        return clip;
    }

private:
    // libwebp's lossless levels go from 0 (fastest) to 9 (smallest); the
    // frames are small changes over a black field, which the fast levels
    // already store well.
    static constexpr int kLosslessLevel = 1;

    int timestamp() const { return static_cast<int>(static_cast<long long>(ticks_) * 1000 / fps_); }
    QString encoderError() const {
        const char* text = WebPAnimEncoderGetError(encoder_);
        return text && *text ? QString::fromUtf8(text) : QStringLiteral("unknown error");
    }

    const int fps_, width_, height_;
    WebPAnimEncoder* encoder_ = nullptr;
    WebPConfig config_{};
    long long ticks_ = 0;
    Problem problem_;
};

}  // namespace

MadeEncoder makeWebpClipEncoder(int fps, int width, int height) {
    auto encoder = std::make_unique<WebpClipEncoder>(fps, width, height);
    if (Problem problem = encoder->open()) return {nullptr, problem};
    return {std::move(encoder), std::nullopt};
}

}  // namespace painter

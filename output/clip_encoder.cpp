#include "output/clip_encoder.h"

namespace painter {

MadeEncoder makeClipEncoder(ClipFormat format, int fps, int width, int height) {
    return format == ClipFormat::mp4 ? makeMp4ClipEncoder(fps, width, height)
                                     : makeWebpClipEncoder(fps, width, height);
}

}  // namespace painter

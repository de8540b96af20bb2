#include "picture_buffers.h"

#include <algorithm>
#include <cstring>

namespace zavidec {

namespace {

// av_malloc's alignment on every build: plane starts at multiples of it stay
// as aligned as libavcodec's own buffers.
constexpr size_t kPlaneAlign = 64;
// libavcodec's own buffers leave this much and a line alignment past each
// plane's aligned rows, for vector loads that run over a row's end; these
// leave at least as much past every plane.
constexpr size_t kOverread = 16;

size_t alignUp(size_t value, size_t to) { return (value + to - 1) / to * to; }

} // namespace

bool isPlanar420(int format) { return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P; }

void copyPlane(uint8_t *to, const uint8_t *from, int fromStride, int width, int height)
{
    if (fromStride == width) {
        std::memcpy(to, from, static_cast<size_t>(width) * height);
        return;
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(to + static_cast<size_t>(row) * width, from + static_cast<ptrdiff_t>(row) * fromStride, width);
}

PictureBuffers::~PictureBuffers() { av_buffer_pool_uninit(&pool_); }

void PictureBuffers::serve(AVCodecContext &context)
{
    context.opaque = this;
    context.get_buffer2 = &PictureBuffers::getBuffer;
}

int PictureBuffers::getBuffer(AVCodecContext *context, AVFrame *frame, int flags)
{
    auto &self = *static_cast<PictureBuffers *>(context->opaque);
    Layout layout;
    if (!isPlanar420(frame->format) || !planLayout(*context, frame->width, frame->height, layout) ||
        !self.usePool(layout))
        return avcodec_default_get_buffer2(context, frame, flags);
    frame->buf[0] = av_buffer_pool_get(self.pool_);
    if (frame->buf[0] == nullptr) return AVERROR(ENOMEM);
    uint8_t *base = frame->buf[0]->data;
    frame->data[0] = base;
    frame->data[1] = base + layout.cbAt;
    frame->data[2] = base + layout.crAt;
    frame->linesize[0] = layout.width;
    frame->linesize[1] = frame->linesize[2] = layout.chromaStride;
    frame->extended_data = frame->data;
    return 0;
}

bool PictureBuffers::planLayout(AVCodecContext &context, int width, int height, Layout &layout)
{
    if (width <= 0 || height <= 0 || width % 2 != 0 || height % 2 != 0) return false;
    int alignedWidth = width;
    int alignedHeight = height;
    int lineAlign[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(&context, &alignedWidth, &alignedHeight, lineAlign);
    if (alignedWidth != width || lineAlign[0] <= 0 || width % lineAlign[0] != 0) return false;
    const size_t luma = static_cast<size_t>(width) * height;
    const int chromaWidth = width / 2;
    const int chromaAlign = std::max(lineAlign[1], lineAlign[2]);
    if (chromaAlign <= 0) return false;
    layout.width = width;
    layout.height = height;
    layout.chromaRows = (alignedHeight + 1) / 2;
    if (chromaWidth % chromaAlign == 0) {
        layout.chromaStride = chromaWidth;
        layout.cbAt = luma;
        layout.crAt = luma + luma / 4;
    } else {
        layout.chromaStride = static_cast<int>(alignUp(chromaWidth, chromaAlign));
        layout.cbAt = alignUp(luma + luma / 2, kPlaneAlign);
        layout.crAt = layout.cbAt + static_cast<size_t>(layout.chromaStride) * layout.chromaRows;
    }
    const size_t lumaReach = static_cast<size_t>(width) * alignedHeight;
    const size_t chromaReach = layout.crAt + static_cast<size_t>(layout.chromaStride) * layout.chromaRows;
    layout.size = std::max({lumaReach, chromaReach, luma + luma / 2}) + kOverread +
                  static_cast<size_t>(std::max(lineAlign[0], chromaAlign));
    return true;
}

bool PictureBuffers::usePool(const Layout &layout)
{
    if (pool_ != nullptr && layout == layout_) return true;
    av_buffer_pool_uninit(&pool_); // buffers still out are freed when they come back
    pool_ = av_buffer_pool_init(layout.size, av_buffer_allocz);
    layout_ = layout;
    return pool_ != nullptr;
}

uint8_t *PictureBuffers::handOut(const AVFrame &frame, int width, int height)
{
    const AVBufferRef *buffer = frame.buf[0];
    if (pool_ == nullptr || buffer == nullptr || frame.buf[1] != nullptr || buffer->size != layout_.size)
        return nullptr;
    uint8_t *base = buffer->data;
    // A cropped picture no longer starts at the buffer or spans its rows.
    if (width != layout_.width || height != layout_.height || frame.data[0] != base ||
        frame.data[1] != base + layout_.cbAt)
        return nullptr;
    const size_t luma = static_cast<size_t>(width) * height;
    if (layout_.cbAt != luma) {
        copyPlane(base + luma, frame.data[1], frame.linesize[1], width / 2, height / 2);
        copyPlane(base + luma + luma / 4, frame.data[2], frame.linesize[2], width / 2, height / 2);
    }
    return base;
}

} // namespace zavidec

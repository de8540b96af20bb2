// The buffers a video decoder's codec decodes 4:2:0 pictures into, laid out
// the way the module hands a picture out: luma rows of exactly the width,
// then the Cb plane, then the Cr plane, back to back. A picture decoded there
// is handed out where it lies instead of being copied out of the codec.
//
// libavcodec sets the terms: each plane's stride a multiple of its line
// alignment, and rows beyond the picture's height (avcodec_align_dimensions2)
// that motion compensation may read but never writes. The luma fits when the
// width is such a multiple; its extra rows then lie over the chroma planes
// after it, and at the last plane over a zeroed tail. The chroma planes fit
// when half the width is such a multiple too; otherwise the codec decodes
// them into planes of their own after the handed-out layout, and only they
// are copied into place when the picture is handed out. Coded sizes that do
// not fit, other pixel formats and cropped pictures keep libavcodec's own
// buffers (and are copied out whole, as before).
//
// The buffers come from a pool and go back to it when libavcodec and the
// decoder let go of the picture: a reference picture the codec still keeps
// is never handed back, so none is decoded over while in use.
#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/buffer.h>
}

namespace zavidec {

bool isPlanar420(int format);
// `height` rows of `width` bytes from rows `fromStride` apart into rows
// packed one after another.
void copyPlane(uint8_t *to, const uint8_t *from, int fromStride, int width, int height);

class PictureBuffers {
public:
    PictureBuffers() = default;
    ~PictureBuffers();
    PictureBuffers(const PictureBuffers &) = delete;
    PictureBuffers &operator=(const PictureBuffers &) = delete;

    // Makes `context` (not yet opened) decode into these buffers.
    void serve(AVCodecContext &context);

    // The handed-out layout of a decoded `frame` of even `width` x `height`
    // when it lies in one of these buffers (its chroma moved into place if
    // the codec decoded it apart), else null.
    uint8_t *handOut(const AVFrame &frame, int width, int height);

private:
    struct Layout {
        int width = 0;        // luma stride: the coded width
        int height = 0;       // coded height
        size_t cbAt = 0;      // where the codec's chroma planes start
        size_t crAt = 0;
        int chromaStride = 0; // of the codec's chroma planes
        int chromaRows = 0;   // rows each of them has room for
        size_t size = 0;
        bool operator==(const Layout &) const = default;
    };

    static int getBuffer(AVCodecContext *context, AVFrame *frame, int flags);
    // False when libavcodec's terms cannot be met in the handed-out layout.
    static bool planLayout(AVCodecContext &context, int width, int height, Layout &layout);
    bool usePool(const Layout &layout);

    Layout layout_;
    AVBufferPool *pool_ = nullptr;
};

} // namespace zavidec

// ImageViewer: the object behind an image handle. It shows still pictures
// that a device sends (JPEG or uncompressed) in one window: each picture is
// found in its packet, decoded to BGR where needed, copied into an
// off-screen surface of its size and blitted, stretched, over the window's
// whole client area. Nothing is kept for repainting.
//
// No lock: one call at a time per viewer, from the caller's thread.
#pragma once

#include <cstdint>
#include <memory>

#include "ZAVIPlaySDK.h"
#include "image/bgr_picture.h"
#include "platform/display.h"

namespace zavi::image {

class ImageViewer {
public:
    ImageViewer() = default;
    ~ImageViewer();
    ImageViewer(const ImageViewer &) = delete;
    ImageViewer &operator=(const ImageViewer &) = delete;

    // Keeps the window the pictures are shown in; always 0.
    int32_t Initialise(ZAVI_HWND window);

    // One image packet: 0 when its picture was shown or it holds none, a
    // negative code otherwise.
    int32_t InputImage(const uint8_t *packet, int32_t length);

private:
    int32_t Show(const uint8_t *data, int32_t length, uint8_t kind);
    int32_t Draw(const BgrPicture &picture);
    platform::HResult CopyIntoPictureSurface(const BgrPicture &picture);
    void RestoreSurfaces();

    // Surfaces for a picture size (image_viewer_surfaces.cpp).
    int32_t SetUp(uint32_t width, uint32_t height);
    bool CreateSurfaces(uint32_t width, uint32_t height);
    platform::HResult ProbeSurfacePixelSize();
    bool AttachWindowClipper();
    void ReleaseSurfaces();

    platform::WindowHandle window_ = 0;
    uint32_t surfaceWidth_ = 0;
    uint32_t surfaceHeight_ = 0;
    int32_t imageBufferSize_ = 0;
    uint8_t *imageBuffer_ = nullptr;
    std::shared_ptr<platform::DirectDraw> driver_;
    std::shared_ptr<platform::DrawSurface> primary_;
    std::shared_ptr<platform::DrawSurface> picture_;
    std::shared_ptr<platform::DrawClipper> clipper_;
    uint32_t surfacePixelSize_ = 0;
};

} // namespace zavi::image

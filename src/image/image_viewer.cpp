// The image viewer's life and the road of one picture: packet, picture,
// surface, window.
#include "image/image_viewer.h"

#include <cstdlib>

#include "image/bitmap_picture.h"
#include "image/image_constants.h"
#include "image/image_packet.h"
#include "image/jpeg_picture.h"

namespace zavi::image {

using platform::HResult;

namespace {

// The window's client area in screen coordinates, both corners converted.
platform::Rect ClientAreaOnScreen(platform::WindowHandle window)
{
    platform::Rect client;
    platform::GetClientRect(window, client);
    platform::Point corners[] = {{client.left, client.top}, {client.right, client.bottom}};
    for (platform::Point &corner : corners) platform::ClientToScreen(window, corner);
    return platform::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

bool TouchesPrimaryScreen(const platform::Rect &area)
{
    const platform::Rect screen{0, 0, platform::GetSystemMetrics(platform::SM_CXSCREEN),
                                platform::GetSystemMetrics(platform::SM_CYSCREEN)};
    platform::Rect overlap;
    return platform::IntersectRect(overlap, area, screen);
}

} // namespace

ImageViewer::~ImageViewer()
{
    ReleaseSurfaces();
    std::free(imageBuffer_);
}

int32_t ImageViewer::Initialise(ZAVI_HWND window)
{
    window_ = window;
    return kImageOk;
}

int32_t ImageViewer::InputImage(const uint8_t *packet, int32_t length)
{
    PacketPicture found;
    const int32_t result = FindPicture(packet, length, found);
    if (result != kImageOk || found.data == nullptr) return result;
    return Show(found.data, found.length, found.kind);
}

int32_t ImageViewer::Show(const uint8_t *data, int32_t length, uint8_t kind)
{
    BgrPicture picture;
    int32_t result = kImageFailed;
    switch (kind) {
    case kKindJpeg: result = DecodeJpegPicture(data, length, imageBuffer_, imageBufferSize_, picture); break;
    case kKindBitmap: result = ReadBitmapPicture(data, length, picture); break;
    default: break;
    }
    if (result != kImageOk) return result;
    return Draw(picture);
}

int32_t ImageViewer::Draw(const BgrPicture &picture)
{
    if (picture.width != surfaceWidth_ || picture.height != surfaceHeight_) {
        const int32_t setUp = SetUp(picture.width, picture.height);
        if (setUp != kImageOk) return setUp;
    }
    // The picture goes to the whole client area; the clipper keeps it inside
    // the window. A window wholly off the primary screen shows nothing.
    const platform::Rect destination = ClientAreaOnScreen(window_);
    if (!TouchesPrimaryScreen(destination)) return kImageOk;

    if (platform::Failed(CopyIntoPictureSurface(picture))) return kImageFailed;
    if (platform::Failed(primary_->Blt(&destination, picture_.get(), nullptr, platform::DDBLT_WAIT, nullptr))) {
        RestoreSurfaces();
        return kImageFailed;
    }
    return kImageOk;
}

HResult ImageViewer::CopyIntoPictureSurface(const BgrPicture &picture)
{
    platform::SurfaceDesc locked;
    const HResult lock = picture_->Lock(nullptr, locked, platform::DDLOCK_WAIT);
    if (platform::Failed(lock)) {
        RestoreSurfaces();
        return lock;
    }
    CopyToSurface(picture, static_cast<uint8_t *>(locked.surface), locked.pitch, surfacePixelSize_);
    return picture_->Unlock(nullptr);
}

// A lost surface shows itself as a failed lock or blit; the next picture
// finds both surfaces restored.
void ImageViewer::RestoreSurfaces()
{
    primary_->Restore();
    picture_->Restore();
}

} // namespace zavi::image

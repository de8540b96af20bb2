// The image viewer's DirectDraw objects: made for one picture size by
// SetUp, dropped by ReleaseSurfaces.
#include "image/image_viewer.h"

#include <new>

#include "image/image_constants.h"

namespace zavi::image {

using platform::HResult;

namespace {

constexpr uint32_t kPictureSurfaceFields = platform::DDSD_CAPS | platform::DDSD_HEIGHT | platform::DDSD_WIDTH;
constexpr uint32_t kVideoMemoryCaps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_VIDEOMEMORY;
constexpr uint32_t kSystemMemoryCaps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;

// Bytes a pixel of an RGB surface of 32 or 24 bits; 0 for every other format.
uint32_t PixelSizeOf(const platform::PixelFormat &format)
{
    if (!(format.flags & platform::DDPF_RGB)) return 0;
    if (format.bitCount == kRgb32BitCount) return kRgb32PixelSize;
    if (format.bitCount == kRgb24BitCount) return kRgb24PixelSize;
    return 0;
}

} // namespace

// Every failure releases what was made and gives -1, except a failed lock of
// the new picture surface, whose own result is handed back at once.
int32_t ImageViewer::SetUp(uint32_t width, uint32_t height)
{
    ReleaseSurfaces();
    if (!CreateSurfaces(width, height)) {
        ReleaseSurfaces();
        return kImageFailed;
    }
    const HResult probe = ProbeSurfacePixelSize();
    if (platform::Failed(probe)) return probe; // the objects made so far stay until the next SetUp
    // Displays of 8 or 16 bits a pixel and non-RGB formats are not served.
    if (surfacePixelSize_ == 0 || !AttachWindowClipper()) {
        ReleaseSurfaces();
        return kImageFailed;
    }
    surfaceWidth_ = width;
    surfaceHeight_ = height;
    return kImageOk;
}

// The driver of the primary screen, its primary surface, and a picture
// surface in the display's own pixel format: in video memory when the driver
// stretches in hardware, else (and on a second try) in system memory.
bool ImageViewer::CreateSurfaces(uint32_t width, uint32_t height)
{
    try {
        if (platform::Failed(platform::DirectDrawCreateEx(nullptr, driver_))) return false;
        if (platform::Failed(driver_->SetCooperativeLevel(window_, platform::DDSCL_NORMAL))) return false;

        platform::SurfaceDesc primaryDesc;
        primaryDesc.flags = platform::DDSD_CAPS;
        primaryDesc.caps = platform::DDSCAPS_PRIMARYSURFACE;
        if (platform::Failed(driver_->CreateSurface(primaryDesc, primary_))) return false;

        platform::DriverCaps caps;
        if (platform::Failed(driver_->GetCaps(caps))) return false;
        const bool hardwareStretch =
            (caps.fxCaps & platform::DDFXCAPS_BLTSTRETCHX) && (caps.surfaceCaps & platform::DDSCAPS_VIDEOMEMORY);

        platform::SurfaceDesc pictureDesc;
        pictureDesc.flags = kPictureSurfaceFields;
        pictureDesc.width = width;
        pictureDesc.height = height;
        pictureDesc.caps = hardwareStretch ? kVideoMemoryCaps : kSystemMemoryCaps;
        if (platform::Succeeded(driver_->CreateSurface(pictureDesc, picture_))) return true;
        pictureDesc.caps = kSystemMemoryCaps;
        return platform::Succeeded(driver_->CreateSurface(pictureDesc, picture_));
    } catch (const std::bad_alloc &) {
        return false; // a surface too large for memory is a failed creation
    }
}

HResult ImageViewer::ProbeSurfacePixelSize()
{
    platform::SurfaceDesc locked;
    const HResult lock = picture_->Lock(nullptr, locked, platform::DDLOCK_WAIT);
    if (platform::Failed(lock)) return lock;
    surfacePixelSize_ = PixelSizeOf(locked.pixelFormat);
    picture_->Unlock(nullptr);
    return platform::kDdOk;
}

bool ImageViewer::AttachWindowClipper()
{
    if (platform::Failed(driver_->CreateClipper(0, clipper_))) return false;
    if (platform::Failed(clipper_->SetHWnd(0, window_))) return false;
    return platform::Succeeded(primary_->SetClipper(clipper_));
}

void ImageViewer::ReleaseSurfaces()
{
    picture_.reset();
    surfaceWidth_ = 0;
    surfaceHeight_ = 0;
    clipper_.reset();
    primary_.reset();
    if (driver_ != nullptr) {
        driver_->RestoreDisplayMode();
        driver_->SetCooperativeLevel(window_, platform::DDSCL_NORMAL);
        driver_.reset();
    }
}

} // namespace zavi::image

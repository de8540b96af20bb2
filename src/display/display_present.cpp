// Showing pictures: Present, Repaint and Clear.
#include "display/display.h"

#include "display/monitor_mapping.h"
#include "display/overlay_drawing.h"

#include <algorithm>

namespace zavi::display {

using platform::HResult;

namespace {

// The decoded picture's planes follow one another in one buffer: Cb at
// width x height, Cr at 5 x width x height / 4.
PicturePlanes PlanesOf(const uint8_t *luma, uint32_t width, uint32_t height)
{
    const int32_t lumaSize = static_cast<int32_t>(width * height);
    return PicturePlanes{luma, luma + lumaSize, luma + ((lumaSize * 5) >> 2), width, height, width};
}

} // namespace

platform::Rect Display::ScreenRectOf(platform::WindowHandle window)
{
    platform::Rect client;
    platform::GetClientRect(window, client);
    platform::Point topLeft{client.left, client.top};
    platform::Point bottomRight{client.right, client.bottom};
    platform::ClientToScreen(window, topLeft);
    platform::ClientToScreen(window, bottomRight);
    return platform::Rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

// A lost surface shows itself as a failed lock or blit: both surfaces are
// restored and the picture is dropped; the next one is copied afresh.
void Display::RestoreSurfaces(DeviceRecord &record)
{
    if (record.primary != nullptr) record.primary->Restore();
    if (record.picture != nullptr) record.picture->Restore();
}

bool Display::Present(const uint8_t *luma, uint32_t width, uint32_t height, const uint8_t *ruleBlock,
                      const ZAVIDEC_MVRESULT *motion)
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    if (!drawingWanted_ && motion != nullptr) drawingWanted_ = true;
    screenRect_ = ScreenRectOf(displayWindow_);
    const PicturePlanes planes = PlanesOf(luma, width, height);

    bool drewOnComposition = false;
    for (DeviceRecord &record : records_) {
        if (!Serves(record)) break;
        platform::Rect mapped;
        if (!MapToMonitor(screenRect_, record.monitor, mapped)) continue;
        if (platform::Failed(record.primary->SetClipper(record.windowClipper))) return false;
        if (drawingWanted_) {
            PrepareSurfaces(record);
            if (drawMode_ == kDrawModeComposition && (record.picture == nullptr || record.composition == nullptr))
                return false;
        }
        if (!CopyPicture(record, planes)) return false;

        platform::DrawSurface *source = record.picture.get();
        if (drawMode_ == kDrawModeComposition && drawingWanted_ &&
            platform::Succeeded(record.composition->Blt(nullptr, source, nullptr, platform::DDBLT_WAIT, nullptr))) {
            drewOnComposition = DrawOnComposition(record, planes, ruleBlock, motion) || drewOnComposition;
            source = record.composition.get();
        }
        if (platform::Failed(record.primary->Blt(&mapped, source, nullptr, platform::DDBLT_WAIT, nullptr))) {
            RestoreSurfaces(record);
            return false;
        }
    }
    if (!PresentPartDisplay()) return false;
    if (drawingWanted_ && !drewOnComposition) DrawOnWindow(planes, ruleBlock, motion);
    return true;
}

bool Display::CopyPicture(DeviceRecord &record, const PicturePlanes &planes)
{
    // An even picture of the surface's size writes every byte of every plane.
    if (planes.width % 2 == 0 && planes.height % 2 == 0 && planes.width == static_cast<uint32_t>(SurfaceWidth()) &&
        planes.height == SurfaceHeight())
        record.picture->DiscardOnNextLock();
    platform::SurfaceDesc locked;
    if (platform::Failed(record.picture->Lock(nullptr, locked, platform::DDLOCK_WAIT))) {
        RestoreSurfaces(record);
        return false;
    }
    if (locked.surface != nullptr) {
        // A picture never writes past the surface it is copied into.
        PicturePlanes fitted = planes;
        fitted.width = std::min(planes.width, locked.width);
        fitted.height = std::min(planes.height, locked.height);
        auto *dest = static_cast<uint8_t *>(locked.surface);
        const Stores stores = (locked.caps & platform::DDSCAPS_VIDEOMEMORY) ? Stores::Streaming : Stores::Cached;
        if (record.format == SurfaceFormat::Yv12) CopyYV12(dest, locked.pitch, fitted, stores);
        else PackYUY2(dest, locked.pitch, fitted, stores);
    }
    return platform::Succeeded(record.picture->Unlock(nullptr));
}

// True when the composition surface gave a device context (drawing then
// does not go to the window).
bool Display::DrawOnComposition(DeviceRecord &record, const PicturePlanes &planes, const uint8_t *ruleBlock,
                                const ZAVIDEC_MVRESULT *motion)
{
    platform::DeviceContext context = 0;
    record.composition->GetDC(context);
    if (context == 0) return false;
    if (platform::IsWindowVisible(displayWindow_)) {
        if (motion != nullptr) DrawRules(context, ruleBlock, *motion);
        CallDrawCallback(context, static_cast<int32_t>(planes.width), static_cast<int32_t>(planes.height));
    }
    record.composition->ReleaseDC(context);
    return true;
}

void Display::CallDrawCallback(platform::DeviceContext context, int32_t width, int32_t height) const
{
    if (drawCallback_ != nullptr) drawCallback_(context, width, height, user1_, user2_);
}

bool Display::PresentPartDisplay()
{
    const platform::WindowHandle partWindow = partWindow_.load();
    if (!partDisplayOn_.load() || partWindow == displayWindow_ || !platform::IsWindowVisible(partWindow)) return true;
    screenRect_ = ScreenRectOf(partWindow);
    const platform::Rect source{partSource_.left, partSource_.top, partSource_.right, partSource_.bottom};
    for (DeviceRecord &record : records_) {
        if (!Serves(record)) break;
        platform::Rect mapped;
        if (!MapToMonitor(screenRect_, record.monitor, mapped) || record.partClipper == nullptr) continue;
        if (platform::Failed(record.primary->SetClipper(record.partClipper))) return false;
        if (platform::Failed(record.primary->Blt(&mapped, record.picture.get(), &source, platform::DDBLT_WAIT, nullptr)))
            return false;
    }
    return true;
}

void Display::DrawOnWindow(const PicturePlanes &planes, const uint8_t *ruleBlock, const ZAVIDEC_MVRESULT *motion)
{
    if (motion != nullptr && platform::IsWindowVisible(displayWindow_)) {
        const platform::DeviceContext context = platform::GetDC(displayWindow_);
        DrawRules(context, ruleBlock, *motion);
        platform::ReleaseDC(displayWindow_, context);
    }
    if (drawCallback_ != nullptr && platform::IsWindowVisible(displayWindow_)) {
        const platform::DeviceContext context = platform::GetDC(displayWindow_);
        CallDrawCallback(context, static_cast<int32_t>(planes.width), static_cast<int32_t>(planes.height));
        platform::ReleaseDC(displayWindow_, context);
    }
}

int32_t Display::Repaint()
{
    kernel::ScopedLock device(deviceLock_);
    try {
        screenRect_ = ScreenRectOf(displayWindow_);
        for (DeviceRecord &record : records_) {
            if (!Serves(record)) break;
            platform::Rect mapped;
            if (!MapToMonitor(screenRect_, record.monitor, mapped)) continue;
            if (platform::Failed(record.primary->SetClipper(record.windowClipper))) return kRepaintFailed;
            if (platform::Failed(
                    record.primary->Blt(&mapped, record.picture.get(), nullptr, platform::DDBLT_WAIT, nullptr))) {
                RestoreSurfaces(record);
                return kRepaintFailed;
            }
        }
        if (drawCallback_ != nullptr && platform::IsWindowVisible(displayWindow_)) {
            const platform::DeviceContext context = platform::GetWindowDC(displayWindow_);
            CallDrawCallback(context, SurfaceWidth(), static_cast<int32_t>(SurfaceHeight()));
            platform::ReleaseDC(displayWindow_, context);
        }
        return 0;
    } catch (...) {
        return 0;
    }
}

void Display::Clear(uint32_t color)
{
    kernel::ScopedLock device(deviceLock_);
    try {
        platform::BltFx fx;
        fx.fillColor = color;
        for (DeviceRecord &record : records_) {
            if (record.picture == nullptr) break;
            record.picture->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
        }
    } catch (...) {
        // nothing to report: the picture simply stays as it was
    }
}

} // namespace zavi::display

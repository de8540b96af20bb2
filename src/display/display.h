// The display object of a player: shows each decoded picture in the
// player's window on every display device whose monitor the window
// touches. The picture is copied (or packed) into an off-screen YUV surface
// per device and blitted, stretched to the window's client area and clipped
// to it, onto the device's primary surface; the display hardware converts
// and scales. Rules and the client's draw callback are drawn over it, and a
// second window can show a chosen part of the picture.
//
// Locks: the device lock, then the settings lock. SetUp, Present, the draw
// settings, the window change and destruction take both; Repaint and Clear
// the device lock; SetPartDisplay the settings lock.
#pragma once

#include "display/display_constants.h"
#include "display/picture_copy.h"
#include "platform/display.h"
#include "platform/kernel.h"

#include "ZAVIDecSDK.h"
#include "ZAVIPlaySDK.h"

#include <atomic>
#include <memory>
#include <vector>

namespace zavi::display {

class Display {
public:
    // One device record per entry of the display-device table, or one for
    // the default driver on the primary screen when the table is empty.
    Display();
    ~Display();
    Display(const Display &) = delete;
    Display &operator=(const Display &) = delete;

    // (Re)creates every device's driver object, primary surface, picture
    // surface and window clipper for pictures of width x height. Returns the
    // last driver result (negative on failure, when the stored size and
    // window fall back to 0 so that the next picture tries again).
    platform::HResult SetUp(platform::WindowHandle window, uint32_t width, uint32_t height);

    // Shows the decoded picture (its luma plane at `luma`, Cb and Cr right
    // behind it) on every device the window touches, then in the
    // part-display window, and draws the rules (with a motion-vector result)
    // and the draw callback. `ruleBlock` is the player's 2056-byte rule
    // block; `motion` may be null. False when it stopped at a failure.
    bool Present(const uint8_t *luma, uint32_t width, uint32_t height, const uint8_t *ruleBlock,
                 const ZAVIDEC_MVRESULT *motion);

    // Shows the last copied picture again (no rules, no part display), then
    // calls the draw callback on the whole window. 0, or -1 on a failure.
    int32_t Repaint();

    // Fills the picture surfaces with `color` (in the surfaces' format);
    // what the window shows changes at the next Present or Repaint.
    void Clear(uint32_t color);

    // Moves the output to another window: 0, or the failing driver result.
    int32_t ChangeWindow(platform::WindowHandle window);

    // Shows `rect` (picture pixels) of each picture stretched onto `window`;
    // a null window or rectangle switches it off. 0, -1 (invalid rectangle),
    // -2 (clipper not created), -3 (clipper not bound).
    int32_t SetPartDisplay(platform::WindowHandle window, const ZAVI_RECT *rect);

    // A null callback stops the drawing over the picture until the next
    // picture that comes with a motion-vector result. Returns 0.
    int32_t RegisterDrawCallback(ZAVI_DrawCallback callback, uintptr_t user1, uintptr_t user2);
    // 1: draw on the picture before the final blit; other values: on the
    // window after it. Returns 0.
    int32_t SetDrawMode(int32_t mode);

    // The picture size the surfaces were made for; 0 before a successful
    // SetUp. The video step compares each picture with it.
    int32_t SurfaceWidth() const { return surfaceWidth_.load(std::memory_order_relaxed); }
    uint32_t SurfaceHeight() const { return surfaceHeight_.load(std::memory_order_relaxed); }

private:
    struct DeviceRecord {
        platform::DriverGuid guid; // all zero: the default display driver
        platform::MonitorHandle monitor = 0;
        std::shared_ptr<platform::DirectDraw> driver;
        std::shared_ptr<platform::DrawSurface> primary;
        std::shared_ptr<platform::DrawSurface> picture;
        std::shared_ptr<platform::DrawSurface> composition;
        std::shared_ptr<platform::DrawClipper> windowClipper;
        std::shared_ptr<platform::DrawClipper> partClipper;
        // Kept per device: devices may end up with pictures surfaces of
        // different formats, and each is filled in its own.
        SurfaceFormat format = SurfaceFormat::Yv12;
    };

    // display.cpp: set-up and surfaces
    void ReleaseSurfaces();
    void ReleaseDeviceObjects(DeviceRecord &record);
    platform::HResult CreateDrivers();
    platform::HResult PrepareDevice(DeviceRecord &record);
    platform::HResult PrepareSurfaces(DeviceRecord &record);
    platform::HResult CreatePictureSurface(DeviceRecord &record, platform::SurfaceDesc &desc);
    platform::HResult CreateCompositionSurface(DeviceRecord &record, platform::SurfaceDesc &desc);
    platform::HResult AttachWindowClipper(DeviceRecord &record, platform::WindowHandle window);
    uint32_t PreferredMemory() const;

    // display_present.cpp: showing pictures
    bool CopyPicture(DeviceRecord &record, const PicturePlanes &planes);
    bool DrawOnComposition(DeviceRecord &record, const PicturePlanes &planes, const uint8_t *ruleBlock,
                           const ZAVIDEC_MVRESULT *motion);
    bool PresentPartDisplay();
    void DrawOnWindow(const PicturePlanes &planes, const uint8_t *ruleBlock, const ZAVIDEC_MVRESULT *motion);
    void CallDrawCallback(platform::DeviceContext context, int32_t width, int32_t height) const;
    bool Serves(const DeviceRecord &record) const { return record.picture != nullptr && record.primary != nullptr; }
    static void RestoreSurfaces(DeviceRecord &record);
    static platform::Rect ScreenRectOf(platform::WindowHandle window);

    // display_window.cpp: part display
    void SwitchPartDisplayOff();

    std::atomic<int32_t> surfaceWidth_{0};
    std::atomic<uint32_t> surfaceHeight_{0};
    int32_t drawMode_ = kDefaultDrawMode;
    kernel::CriticalSection deviceLock_;
    std::vector<DeviceRecord> records_;
    platform::WindowHandle displayWindow_ = 0;
    platform::Rect screenRect_;
    // Written by SetPartDisplay before it takes the settings lock.
    std::atomic<platform::WindowHandle> partWindow_{0};
    std::atomic<bool> partDisplayOn_{false};
    ZAVI_RECT partSource_{};
    kernel::CriticalSection settingsLock_;
    ZAVI_DrawCallback drawCallback_ = nullptr;
    uintptr_t user1_ = 0;
    uintptr_t user2_ = 0;
    bool hardwareStretch_ = false;
    bool drawingWanted_ = false;
};

} // namespace zavi::display

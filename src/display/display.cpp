// The display object's life: its device records, set-up of the driver
// objects and surfaces for a picture size, and their release.
#include "display/display.h"

#include "display/display_devices.h"

#include <algorithm>

namespace zavi::display {

using platform::HResult;

namespace {

bool IsDefaultDriver(const platform::DriverGuid &guid)
{
    return std::all_of(std::begin(guid.bytes), std::end(guid.bytes), [](uint8_t byte) { return byte == 0; });
}

// The picture surface formats in the order they are tried: YV12, then YUY2,
// each first in the preferred memory, then in system memory.
struct LadderStep {
    SurfaceFormat format;
    bool preferredMemory;
};
constexpr LadderStep kPictureSurfaceLadder[] = {
    {SurfaceFormat::Yv12, true}, {SurfaceFormat::Yv12, false}, {SurfaceFormat::Yuy2, true}, {SurfaceFormat::Yuy2, false}};

} // namespace

Display::Display()
{
    const DisplayDeviceTable table = DisplayDevices();
    records_.reserve(std::max<size_t>(static_cast<size_t>(table.count), 1));
    for (int32_t i = 0; i < table.count; ++i) {
        DeviceRecord record;
        record.guid = table.entries[static_cast<size_t>(i)].guid;
        record.monitor = table.entries[static_cast<size_t>(i)].monitor;
        records_.push_back(record);
    }
    if (records_.empty()) records_.emplace_back(); // the default driver on the primary screen
}

Display::~Display()
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    drawingWanted_ = false;
    ReleaseSurfaces();
}

void Display::ReleaseDeviceObjects(DeviceRecord &record)
{
    record.windowClipper.reset();
    record.partClipper.reset();
    record.composition.reset();
    record.picture.reset();
    record.primary.reset();
    if (record.driver != nullptr) {
        record.driver->RestoreDisplayMode();
        record.driver->SetCooperativeLevel(displayWindow_, platform::DDSCL_NORMAL);
        record.driver.reset();
    }
}

void Display::ReleaseSurfaces()
{
    surfaceWidth_ = 0;
    surfaceHeight_ = 0;
    for (DeviceRecord &record : records_) ReleaseDeviceObjects(record);
}

HResult Display::SetUp(platform::WindowHandle window, uint32_t width, uint32_t height)
{
    kernel::ScopedLock device(deviceLock_);
    kernel::ScopedLock settings(settingsLock_);
    ReleaseSurfaces();
    displayWindow_ = window;
    surfaceWidth_ = static_cast<int32_t>(width);
    surfaceHeight_ = height;

    HResult result = CreateDrivers();
    hardwareStretch_ = false;
    for (auto record = records_.begin(); platform::Succeeded(result) && record != records_.end(); ++record)
        result = PrepareDevice(*record);

    if (platform::Failed(result)) {
        // The objects made so far stay until the next set-up; the stored size
        // of 0 makes the next picture try again.
        displayWindow_ = 0;
        surfaceWidth_ = 0;
        surfaceHeight_ = 0;
    }
    return result;
}

HResult Display::CreateDrivers()
{
    HResult result = platform::kDdOk;
    for (DeviceRecord &record : records_) {
        result = platform::DirectDrawCreateEx(IsDefaultDriver(record.guid) ? nullptr : &record.guid, record.driver);
        if (platform::Failed(result)) return result;
        result = record.driver->SetCooperativeLevel(displayWindow_, platform::DDSCL_NORMAL);
        if (platform::Failed(result)) return result;
    }
    return result;
}

HResult Display::PrepareDevice(DeviceRecord &record)
{
    platform::SurfaceDesc primaryDesc;
    primaryDesc.flags = platform::DDSD_CAPS;
    primaryDesc.caps = platform::DDSCAPS_PRIMARYSURFACE;
    HResult result = record.driver->CreateSurface(primaryDesc, record.primary);
    if (platform::Failed(result)) return result;

    platform::DriverCaps caps;
    result = record.driver->GetCaps(caps);
    if (platform::Failed(result)) return result;
    // Once one device stretches in hardware with video memory, every device
    // asks for video memory first.
    if ((caps.fxCaps & platform::DDFXCAPS_BLTSTRETCHX) && (caps.surfaceCaps & platform::DDSCAPS_VIDEOMEMORY))
        hardwareStretch_ = true;

    result = PrepareSurfaces(record);
    if (platform::Failed(result)) return result;
    return AttachWindowClipper(record, displayWindow_);
}

HResult Display::AttachWindowClipper(DeviceRecord &record, platform::WindowHandle window)
{
    record.windowClipper.reset();
    HResult result = record.driver->CreateClipper(0, record.windowClipper);
    if (platform::Failed(result)) return result;
    result = record.windowClipper->SetHWnd(0, window);
    if (platform::Failed(result)) return result;
    return record.primary->SetClipper(record.windowClipper);
}

uint32_t Display::PreferredMemory() const
{
    return hardwareStretch_ ? platform::DDSCAPS_VIDEOMEMORY : platform::DDSCAPS_SYSTEMMEMORY;
}

HResult Display::PrepareSurfaces(DeviceRecord &record)
{
    platform::SurfaceDesc desc;
    desc.flags = platform::DDSD_CAPS | platform::DDSD_HEIGHT | platform::DDSD_WIDTH;
    desc.width = static_cast<uint32_t>(SurfaceWidth());
    desc.height = SurfaceHeight();
    HResult result = platform::kDdOk;
    if (record.picture == nullptr) result = CreatePictureSurface(record, desc);

    if (drawMode_ != kDrawModeComposition) {
        record.composition.reset();
        return result;
    }
    if (drawingWanted_) result = CreateCompositionSurface(record, desc);
    if (platform::Failed(result)) record.composition.reset();
    return result;
}

HResult Display::CreatePictureSurface(DeviceRecord &record, platform::SurfaceDesc &desc)
{
    HResult result = platform::kDdOk;
    desc.flags |= platform::DDSD_PIXELFORMAT;
    for (const LadderStep &step : kPictureSurfaceLadder) {
        desc.pixelFormat = step.format == SurfaceFormat::Yv12 ? kYv12Format : kYuy2Format;
        desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | (step.preferredMemory ? PreferredMemory() : platform::DDSCAPS_SYSTEMMEMORY);
        record.format = step.format;
        result = record.driver->CreateSurface(desc, record.picture);
        if (platform::Succeeded(result)) return result;
    }
    record.picture.reset();
    return result;
}

// Made from the picture surface's description when that was made in the
// same call, otherwise (the usual case, from Present) in the display's own
// pixel format, which is what a device context needs.
HResult Display::CreateCompositionSurface(DeviceRecord &record, platform::SurfaceDesc &desc)
{
    record.composition.reset();
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | PreferredMemory();
    const HResult result = record.driver->CreateSurface(desc, record.composition);
    if (platform::Succeeded(result)) return result;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;
    return record.driver->CreateSurface(desc, record.composition);
}

} // namespace zavi::display

// The numbers of the video display subsystem, in one place.
#pragma once

#include "platform/canvas.h"
#include "platform/display.h"

#include "ZAVIPlaySDK.h"

#include <cstddef>
#include <cstdint>

namespace zavi::display {

// ---- Devices ---------------------------------------------------------------
inline constexpr size_t kMaxDisplayDevices = 15;
inline constexpr uint32_t kDeviceEnumerationFlags =
    platform::DDENUM_ATTACHEDSECONDARYDEVICES | platform::DDENUM_NONDISPLAYDEVICES;

// ---- Picture surfaces ------------------------------------------------------
// Format of a device's picture surface; the copy step packs the picture to
// match it.
enum class SurfaceFormat : int32_t { Yv12 = 0, Yuy2 = 1 };

inline constexpr platform::PixelFormat kYv12Format{platform::DDPF_FOURCC | platform::DDPF_YUV,
                                                   platform::kFourCcYV12, 12, 0, 0, 0};
inline constexpr platform::PixelFormat kYuy2Format{platform::DDPF_FOURCC | platform::DDPF_YUV,
                                                   platform::kFourCcYUY2, 16, 0, 0, 0};

// ---- Drawing over the picture -----------------------------------------------
inline constexpr int32_t kDrawModeComposition = 1; // draw on the picture before the final blit
inline constexpr int32_t kDefaultDrawMode = 2;     // draw on the window after the blit

// ---- Results ---------------------------------------------------------------
inline constexpr int32_t kRepaintFailed = ZAVI_ERR_FAIL;
inline constexpr int32_t kPartDisplayInvalidRect = ZAVI_ERR_FAIL;
inline constexpr int32_t kPartDisplayClipperCreate = ZAVI_ERR_CLIPPER_CREATE;
inline constexpr int32_t kPartDisplayClipperBind = ZAVI_ERR_CLIPPER_BIND;

// ---- Rule block, as the drawing reads it (little-endian) -----------------------
inline constexpr size_t kRuleBlockSize = 2056;
inline constexpr size_t kRuleKindOffset = 2;
inline constexpr size_t kRuleCountOffset = 8;
inline constexpr uint8_t kRuleKindRegions = 1;
inline constexpr uint8_t kRuleKindLines = 2;

inline constexpr size_t kRegionRecordsOffset = 12;
inline constexpr size_t kRegionRecordSize = 68;
inline constexpr size_t kRegionFirstPointOffset = 4;
inline constexpr size_t kRegionFurtherPointsOffset = 8;
inline constexpr int32_t kRegionMaxFurtherPoints = 15;
inline constexpr size_t kPointSize = 4;
inline constexpr size_t kMaxRegions = (kRuleBlockSize - kRegionRecordsOffset) / kRegionRecordSize;

inline constexpr size_t kLineRecordsOffset = 10;
inline constexpr size_t kLineRecordSize = 10;
inline constexpr size_t kLineStartOffset = 2;
inline constexpr size_t kLineEndOffset = 6;
inline constexpr size_t kMaxLines = (kRuleBlockSize - kLineRecordsOffset) / kLineRecordSize;

// The alarm mask is the second 32-bit word of the motion data; bit i,
// counted modulo 32, belongs to rule i.
inline constexpr size_t kAlarmMaskOffset = 4;
inline constexpr uint32_t kAlarmBits = 32;

inline constexpr int kRulePenWidth = 2;
inline constexpr platform::ColorRef kNormalPenColor = platform::MakeRgb(0, 255, 255); // cyan
inline constexpr platform::ColorRef kAlarmPenColor = platform::MakeRgb(255, 0, 0);    // red
inline constexpr platform::ColorRef kLabelTextColor = platform::MakeRgb(255, 255, 255);
inline constexpr int32_t kLabelOffset = 2;  // label rectangle starts this far right and down...
inline constexpr int32_t kLabelExtent = 30; // ...and ends this far, from the rule's first point
inline constexpr uint32_t kLabelFormat = platform::DT_VCENTER;

} // namespace zavi::display

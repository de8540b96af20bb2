// Library-wide exports: the no-op entry points and the coordinate helpers.
#include "ZAVIPlaySDK.h"

namespace {

constexpr double kReferenceWidth = ZAVI_REFERENCE_WIDTH;
constexpr double kReferenceHeight = ZAVI_REFERENCE_HEIGHT;

} // namespace

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Init(void) { return ZAVI_OK; }
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Cleanup(void) { return ZAVI_OK; }
// The devices' clients have always been handed 0 here and some test for it,
// so the release number stays out of this answer: clients read it from
// ZAVIPlaySDKVersion.h (written from the project version), pkg-config or
// the CMake package.
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetSdkVersion(void) { return ZAVI_OK; }

// Scale factors against the 704 x 576 reference frame: the division is done
// in double precision and only the quotient is rounded to float.
ZAVI_API float ZAVI_CALL ZAVI_SDK_ValueToWindow_rx(int32_t value)
{
    return static_cast<float>(static_cast<double>(value) / kReferenceWidth);
}

ZAVI_API float ZAVI_CALL ZAVI_SDK_ValueToWindow_ry(int32_t value)
{
    return static_cast<float>(static_cast<double>(value) / kReferenceHeight);
}

ZAVI_API float ZAVI_CALL ZAVI_SDK_WindowToValue_rx(int32_t value)
{
    return static_cast<float>(kReferenceWidth / static_cast<double>(value));
}

ZAVI_API float ZAVI_CALL ZAVI_SDK_WindowToValue_ry(int32_t value)
{
    return static_cast<float>(kReferenceHeight / static_cast<double>(value));
}

// Image viewer exports: create, show one picture packet, release.
#include "api/handle_rule.h"
#include "image/image_viewer.h"

using zavi::image::ImageViewer;

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InitImage(ZAVI_HWND window, ZAVI_HANDLE *outImage)
{
    return zavi::api::Create<ImageViewer>(window, outImage);
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InputImage(ZAVI_HANDLE image, const uint8_t *packet, int32_t length)
{
    return zavi::api::Forward<ImageViewer>(image, [&](ImageViewer &v) { return v.InputImage(packet, length); });
}

ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ReleaseImage(ZAVI_HANDLE image)
{
    return zavi::api::Release<ImageViewer>(image);
}

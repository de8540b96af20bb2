// Device contexts of the Windows build are GDI's own HDCs, which the
// headless backend's surfaces and windows do not have: there a drawing
// layer makes no device context, GetDC fails as DirectDraw's does on a
// surface it cannot draw on, and nothing is drawn over the picture.
#include "platform/common/drawing_layer.h"

namespace zavi::platform {

struct DrawingLayer::Drawing {};

DrawingLayer::DrawingLayer() = default;
DrawingLayer::~DrawingLayer() = default;

DeviceContext DrawingLayer::Begin(int32_t, int32_t) { return 0; }

LayerPixels DrawingLayer::End() { return {}; }

DrawingLayer *DrawingLayer::Of(DeviceContext) { return nullptr; }

} // namespace zavi::platform

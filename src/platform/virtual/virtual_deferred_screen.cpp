#include "platform/virtual/virtual_deferred_screen.h"

#include "platform/virtual/virtual_scene.h"

#include <utility>

namespace zavi::platform::virtual_display {

namespace {

// Beyond this much work kept, the oldest is done: a bound on the memory
// held when nothing replaces it (windows across monitors, part displays).
constexpr size_t kMostDeferredWork = 64;
// A window whose drawings keep piling up (nothing covers them) gets its
// oldest layer back rather than a new one.
constexpr size_t kMostLayersPerWindow = 2;

bool Covers(const Rect &outer, const Rect &inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

} // namespace

void DeferredScreen::DeferPicture(Scene &scene, const std::shared_ptr<VirtualMonitor> &monitor, const Rect &area,
                                  const Rect &dest, const MemorySurface &source, const Rect &sourceArea)
{
    if (IsRectEmpty(area)) return;
    Work work;
    work.reach = area;
    OffsetRect(work.reach, monitor->bounds.left, monitor->bounds.top);
    work.monitor = monitor;
    work.screen = monitor.get();
    work.area = area;
    work.dest = dest;
    work.sourceArea = sourceArea;
    work.sourceLayout = source.Layout();

    // A picture writes every pixel of its place: earlier work on the same
    // screen inside it can no longer show.
    size_t kept = 0;
    for (Work &earlier : queue_) {
        if (earlier.screen == work.screen && Covers(work.reach, earlier.reach)) {
            Release(scene, earlier);
            continue;
        }
        if (&earlier != &queue_[kept]) queue_[kept] = std::move(earlier);
        ++kept;
    }
    queue_.resize(kept);
    work.source = source.SharePixels();
    Push(scene, std::move(work));
}

// Only the monitors under the client area at the time of the drawing get
// its ink; a drawing that lands on none is not kept.
void DeferredScreen::DeferDrawing(Scene &scene, WindowHandle window, const Rect &client, const LayerPixels &drawn,
                                  std::unique_ptr<DrawingLayer> layer)
{
    Work work;
    work.window = window;
    work.client = client;
    work.drawn = drawn;
    work.layer = std::move(layer);
    size_t monitorsUnder = 0;
    for (const auto &monitor : scene.monitors) {
        Rect part;
        if (!IntersectRect(part, client, monitor->bounds)) continue;
        if (++monitorsUnder == 1) {
            work.reach = part;
            work.screen = monitor.get();
        }
    }
    if (monitorsUnder > 1) {
        work.reach = client;
        work.screen = nullptr;
    }
    if (monitorsUnder == 0) {
        Release(scene, work);
        return;
    }
    Push(scene, std::move(work));
}

std::unique_ptr<DrawingLayer> DeferredScreen::LayerFor(Scene &scene, WindowHandle window)
{
    VirtualWindow *found = scene.FindWindow(window);
    if (found == nullptr) return nullptr;
    if (found->idleLayers.empty()) {
        size_t deferred = 0;
        size_t oldest = 0;
        for (size_t i = queue_.size(); i-- > 0;)
            if (queue_[i].layer != nullptr && queue_[i].window == window) {
                ++deferred;
                oldest = i;
            }
        if (deferred < kMostLayersPerWindow) return std::make_unique<DrawingLayer>();
        Run(scene, oldest + 1);
    }
    std::unique_ptr<DrawingLayer> layer = std::move(found->idleLayers.back());
    found->idleLayers.pop_back();
    return layer;
}

void DeferredScreen::Settle(Scene &scene) { Run(scene, queue_.size()); }

DeferredScreen::DeferredScreen() { queue_.reserve(kMostDeferredWork + 1); }

void DeferredScreen::Push(Scene &scene, Work work)
{
    queue_.push_back(std::move(work));
    if (queue_.size() > kMostDeferredWork) Run(scene, queue_.size() - kMostDeferredWork);
}

void DeferredScreen::Run(Scene &scene, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        Apply(scene, queue_[i]);
        Release(scene, queue_[i]);
    }
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(count));
}

// A drawing lands at the client area's place when it was done, cut to it.
void DeferredScreen::Apply(Scene &scene, const Work &work)
{
    if (work.monitor != nullptr) {
        stretch_.Run(work.monitor->pixels.data(), work.monitor->layout, work.area, work.dest,
                     PixelBlock{work.source.get(), work.sourceLayout}, work.sourceArea);
        return;
    }
    const Rect &client = work.client;
    work.drawn.ForEachInk([&](int32_t x, int32_t y, uint32_t pixel) {
        const int32_t screenX = client.left + x, screenY = client.top + y;
        Bgr under;
        if (screenX < client.right && screenY < client.bottom && scene.ReadScreen(screenX, screenY, under))
            scene.WriteScreen(screenX, screenY, Over(pixel, under));
    });
}

void DeferredScreen::Release(Scene &scene, Work &work)
{
    if (work.layer != nullptr) {
        VirtualWindow *window = scene.FindWindow(work.window);
        if (window != nullptr) window->idleLayers.push_back(std::move(work.layer));
        work.layer.reset();
    }
    work.source.reset();
    work.monitor.reset();
    work.screen = nullptr;
}

} // namespace zavi::platform::virtual_display

#include "platform/sdl/sdl_window.h"

#include "platform/sdl/sdl_render_thread.h"

#include <map>
#include <mutex>

namespace zavi::platform::sdl_display {

namespace {

constexpr Uint32 kBackingFormat = SDL_PIXELFORMAT_RGB888;

SDL_Rect ToSdl(const Rect &rect) { return SDL_Rect{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top}; }

Uint32 TextureFormatOf(PixelKind kind)
{
    switch (kind) {
    case PixelKind::Yv12: return SDL_PIXELFORMAT_YV12;
    case PixelKind::Yuy2: return SDL_PIXELFORMAT_YUY2;
    case PixelKind::Rgb24: return SDL_PIXELFORMAT_BGR24; // bytes blue, green, red
    case PixelKind::Rgb32: return SDL_PIXELFORMAT_RGB888; // bytes blue, green, red, unused
    }
    return SDL_PIXELFORMAT_UNKNOWN;
}

bool Upload(SDL_Texture *texture, const MemorySurface &source)
{
    const PixelLayout &layout = source.Layout();
    const uint8_t *pixels = source.Pixels();
    if (layout.kind != PixelKind::Yv12) return SDL_UpdateTexture(texture, nullptr, pixels, layout.pitch) == 0;
    const int chromaPitch = layout.pitch / 2;
    const uint8_t *cr = pixels + static_cast<size_t>(layout.pitch) * layout.height;
    const uint8_t *cb = cr + static_cast<size_t>(chromaPitch) * ((layout.height + 1) / 2);
    return SDL_UpdateYUVTexture(texture, nullptr, pixels, layout.pitch, cb, chromaPitch, cr, chromaPitch) == 0;
}

std::mutex registryMutex;
std::map<WindowHandle, std::weak_ptr<SdlWindow>> registry;

} // namespace

SdlWindow::~SdlWindow()
{
    for (CachedTexture &cached : textures_)
        if (cached.texture != nullptr) SDL_DestroyTexture(cached.texture);
    if (backing_ != nullptr) SDL_DestroyTexture(backing_);
    if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
    if (sdlWindow_ != nullptr) SDL_DestroyWindow(sdlWindow_); // a foreign window: the X window stays
}

// Makes the SDL objects on first use and the backing store at the client
// size; false when the window cannot be drawn in now (gone, hidden, or SDL
// refuses).
bool SdlWindow::Prepare(WindowPlace &place)
{
    // The client's toolkit handles the window's events; what SDL gathers
    // about it is dropped so that it does not pile up.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_WINDOWEVENT, SDL_MULTIGESTURE);
    if (!XConnection::Get()->QueryWindow(window_, place) || !place.visible) return false;
    if (sdlWindow_ == nullptr) {
        sdlWindow_ = SDL_CreateWindowFrom(reinterpret_cast<const void *>(window_));
        if (sdlWindow_ == nullptr) return false;
    }
    if (renderer_ == nullptr) {
        renderer_ = SDL_CreateRenderer(sdlWindow_, -1, 0);
        if (renderer_ == nullptr) renderer_ = SDL_CreateRenderer(sdlWindow_, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ == nullptr) return false;
    }
    const int width = place.client.right - place.client.left;
    const int height = place.client.bottom - place.client.top;
    if (width <= 0 || height <= 0) return false;
    // SDL learns of a foreign window's new size only when told; its
    // renderer then draws to the whole new client area.
    int knownWidth = 0, knownHeight = 0;
    SDL_GetWindowSize(sdlWindow_, &knownWidth, &knownHeight);
    if (knownWidth != width || knownHeight != height) SDL_SetWindowSize(sdlWindow_, width, height);
    if (backing_ == nullptr || width != backingWidth_ || height != backingHeight_) {
        if (backing_ != nullptr) SDL_DestroyTexture(backing_);
        backing_ = SDL_CreateTexture(renderer_, kBackingFormat, SDL_TEXTUREACCESS_TARGET, width, height);
        if (backing_ == nullptr) return false;
        backingWidth_ = width;
        backingHeight_ = height;
        SDL_SetRenderTarget(renderer_, backing_);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, SDL_ALPHA_OPAQUE);
        SDL_RenderClear(renderer_);
    }
    return SDL_SetRenderTarget(renderer_, backing_) == 0;
}

// The streaming texture holding the surface's pixels, uploaded again only
// when they changed since.
SDL_Texture *SdlWindow::TextureOf(const MemorySurface &source)
{
    const PixelLayout &layout = source.Layout();
    size_t slot = 0;
    for (size_t i = 0; i < textures_.size(); ++i) {
        if (textures_[i].serial == source.Serial()) {
            slot = i;
            break;
        }
        if (lastUse_[i] < lastUse_[slot]) slot = i;
    }
    CachedTexture &cached = textures_[slot];
    lastUse_[slot] = ++useCount_;
    if (cached.serial != source.Serial()) {
        if (cached.texture != nullptr) SDL_DestroyTexture(cached.texture);
        cached = CachedTexture{source.Serial(), 0, nullptr};
        cached.texture = SDL_CreateTexture(renderer_, TextureFormatOf(layout.kind), SDL_TEXTUREACCESS_STREAMING,
                                           static_cast<int>(layout.width), static_cast<int>(layout.height));
        if (cached.texture == nullptr) {
            cached.serial = 0;
            return nullptr;
        }
    } else if (cached.version == source.Version()) {
        return cached.texture;
    }
    std::lock_guard lock(source.PixelMutex());
    if (!Upload(cached.texture, source)) return nullptr;
    cached.version = source.Version();
    return cached.texture;
}

void SdlWindow::Show()
{
    SDL_SetRenderTarget(renderer_, nullptr);
    SDL_RenderSetClipRect(renderer_, nullptr);
    SDL_RenderCopy(renderer_, backing_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

HResult SdlWindow::Blit(const Rect &monitor, const Rect &dest, const MemorySurface &source, const Rect &sourceArea)
{
    WindowPlace place;
    if (!Prepare(place)) return kDdOk; // nothing of the window can be seen: nothing to draw
    SDL_Texture *texture = TextureOf(source);
    if (texture == nullptr) return kDdErrGeneric;
    Rect target = dest;
    OffsetRect(target, monitor.left - place.client.left, monitor.top - place.client.top);
    Rect visible = monitor;
    OffsetRect(visible, -place.client.left, -place.client.top);
    const SDL_Rect clip = ToSdl(visible);
    const SDL_Rect from = ToSdl(sourceArea);
    const SDL_Rect to = ToSdl(target);
    SDL_RenderSetClipRect(renderer_, &clip);
    const bool copied = SDL_RenderCopy(renderer_, texture, &from, &to) == 0;
    Show();
    return copied ? kDdOk : kDdErrGeneric;
}

HResult SdlWindow::Fill(const FilledRect *rects, size_t count)
{
    WindowPlace place;
    if (!Prepare(place)) return kDdOk;
    SDL_RenderSetClipRect(renderer_, nullptr);
    for (size_t i = 0; i < count; ++i) {
        const ColorRef color = rects[i].color;
        SDL_SetRenderDrawColor(renderer_, static_cast<Uint8>(color), static_cast<Uint8>(color >> 8),
                               static_cast<Uint8>(color >> 16), SDL_ALPHA_OPAQUE);
        const SDL_Rect rect = ToSdl(rects[i].rect);
        SDL_RenderFillRect(renderer_, &rect);
    }
    Show();
    return kDdOk;
}

std::shared_ptr<SdlWindow> AcquireWindow(WindowHandle window)
{
    std::lock_guard lock(registryMutex);
    std::weak_ptr<SdlWindow> &entry = registry[window];
    if (auto existing = entry.lock()) return existing;
    std::shared_ptr<SdlWindow> created(new SdlWindow(window), [](SdlWindow *state) {
        if (state->HoldsSdlObjects()) RenderThread::Get()->Run([state] { delete state; });
        else delete state;
    });
    entry = created;
    return created;
}

} // namespace zavi::platform::sdl_display

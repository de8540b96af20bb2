#include "platform/sdl/sdl_window.h"

#include "platform/sdl/sdl_render_thread.h"

#include <algorithm>
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

// SDL blends straight alpha on every renderer (the software one has no
// blend mode for premultiplied pixels), so the layer's pixels are divided
// back by their alpha on the way into the texture.
uint32_t Straight(uint32_t pixel)
{
    const uint32_t alpha = pixel >> 24;
    if (alpha == 0 || alpha == 255) return pixel;
    auto channel = [alpha](uint32_t value) { return std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha); };
    return alpha << 24 | channel((pixel >> 16) & 0xFF) << 16 | channel((pixel >> 8) & 0xFF) << 8 | channel(pixel & 0xFF);
}

std::mutex registryMutex;
std::map<WindowHandle, std::weak_ptr<SdlWindow>> registry;

} // namespace

SdlWindow::~SdlWindow()
{
    for (CachedTexture &cached : textures_)
        if (cached.texture != nullptr) SDL_DestroyTexture(cached.texture);
    if (backing_ != nullptr) SDL_DestroyTexture(backing_);
    if (overlay_ != nullptr) SDL_DestroyTexture(overlay_);
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

HResult SdlWindow::Overlay(const LayerPixels &drawn)
{
    WindowPlace place;
    if (!Prepare(place)) return kDdOk;
    if (overlay_ == nullptr || overlayWidth_ != drawn.width || overlayHeight_ != drawn.height) {
        if (overlay_ != nullptr) SDL_DestroyTexture(overlay_);
        overlay_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, drawn.width,
                                     drawn.height);
        if (overlay_ == nullptr) return kDdErrGeneric;
        SDL_SetTextureBlendMode(overlay_, SDL_BLENDMODE_BLEND);
        overlayWidth_ = drawn.width;
        overlayHeight_ = drawn.height;
    }
    void *pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(overlay_, nullptr, &pixels, &pitch) != 0) return kDdErrGeneric;
    for (int32_t y = 0; y < drawn.height; ++y) {
        auto *row = reinterpret_cast<uint32_t *>(static_cast<uint8_t *>(pixels) + static_cast<size_t>(pitch) * static_cast<uint32_t>(y));
        for (int32_t x = 0; x < drawn.width; ++x) row[x] = Straight(drawn.At(x, y));
    }
    SDL_UnlockTexture(overlay_);
    SDL_RenderSetClipRect(renderer_, nullptr);
    const SDL_Rect to{0, 0, drawn.width, drawn.height};
    SDL_RenderCopy(renderer_, overlay_, nullptr, &to);
    Show();
    return kDdOk;
}

std::unique_ptr<DrawingLayer> SdlWindow::TakeLayer()
{
    std::lock_guard lock(layerMutex_);
    return idleLayer_ != nullptr ? std::move(idleLayer_) : std::make_unique<DrawingLayer>();
}

void SdlWindow::KeepLayer(std::unique_ptr<DrawingLayer> layer)
{
    std::lock_guard lock(layerMutex_);
    if (idleLayer_ == nullptr) idleLayer_ = std::move(layer);
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

// One client window as the SDL backend draws into it: the SDL window made
// from the X11 window id, its renderer, a backing store the size of the
// client area (so that blits and drawing add up like on a screen, and the
// window can be shown again after each), streaming textures of the
// surfaces blitted into it and of the drawing laid over them. Everything
// here runs on the render thread, but for the drawing layer kept between
// the window's device contexts.
#pragma once

#include "platform/display.h"
#include "platform/common/drawing_layer.h"
#include "platform/common/memory_surface.h"
#include "platform/sdl/sdl_x11.h"

#include <SDL.h>

#include <array>
#include <memory>
#include <mutex>

namespace zavi::platform::sdl_display {

class SdlWindow {
public:
    explicit SdlWindow(WindowHandle window) : window_(window) {}
    ~SdlWindow();
    SdlWindow(const SdlWindow &) = delete;
    SdlWindow &operator=(const SdlWindow &) = delete;

    // True once SDL objects were made for the window (on the render thread).
    bool HoldsSdlObjects() const { return sdlWindow_ != nullptr; }

    // Stretches `sourceArea` of `source` onto `dest` (coordinates of the
    // monitor whose desktop rectangle is `monitor`), cut to that monitor.
    HResult Blit(const Rect &monitor, const Rect &dest, const MemorySurface &source, const Rect &sourceArea);
    // Lays the drawing of a device context over what the window shows, its
    // top left at the client area's.
    HResult Overlay(const LayerPixels &drawn);

    // The layer for a device context of the window (the one kept since the
    // last, or a new one), and back once that device context is released.
    // Any thread.
    std::unique_ptr<DrawingLayer> TakeLayer();
    void KeepLayer(std::unique_ptr<DrawingLayer> layer);

private:
    bool Prepare(WindowPlace &place);
    SDL_Texture *TextureOf(const MemorySurface &source);
    void Show();

    struct CachedTexture {
        uint64_t serial = 0;
        uint64_t version = 0;
        SDL_Texture *texture = nullptr;
    };

    WindowHandle window_;
    SDL_Window *sdlWindow_ = nullptr;
    SDL_Renderer *renderer_ = nullptr;
    SDL_Texture *backing_ = nullptr;
    int backingWidth_ = 0;
    int backingHeight_ = 0;
    SDL_Texture *overlay_ = nullptr; // straight-alpha copy of the last drawing laid over
    int overlayWidth_ = 0;
    int overlayHeight_ = 0;
    // The surfaces blitted here lately, least recently used first out.
    std::array<CachedTexture, 4> textures_{};
    uint64_t useCount_ = 0;
    std::array<uint64_t, 4> lastUse_{};
    std::mutex layerMutex_;
    std::unique_ptr<DrawingLayer> idleLayer_;
};

// The window's state, shared by everything bound to that window (clippers,
// device contexts); made on first use and destroyed (on the render thread
// when it holds SDL objects) when the last holder lets go.
std::shared_ptr<SdlWindow> AcquireWindow(WindowHandle window);

} // namespace zavi::platform::sdl_display

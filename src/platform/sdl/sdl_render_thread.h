// The one thread that owns every SDL window, renderer and texture of the
// display. SDL breaks
// when windows or renderers are made from several threads, and a GL context
// must stay on its thread, while players call the display from their video
// threads and from client threads: every display call that touches SDL or X
// is posted here and waited for.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>

namespace zavi::platform::sdl_display {

class RenderThread {
public:
    // Started with SDL's video subsystem on first use (the first drawing);
    // null when SDL's video cannot be started.
    static RenderThread *Get();

    // Runs `task` on the render thread and returns when it has run (at once
    // when called on the render thread). Nothing is allocated per call.
    template <typename Task> void Run(Task &&task)
    {
        using Callable = std::remove_reference_t<Task>;
        Invoke(&task, [](void *callable) { (*static_cast<Callable *>(callable))(); });
    }

private:
    RenderThread() = default;
    bool Start();
    void Loop();
    void Invoke(void *callable, void (*invoke)(void *));

    std::mutex submitMutex_; // one task in flight
    std::mutex mutex_;
    std::condition_variable changed_;
    void *callable_ = nullptr;
    void (*invoke_)(void *) = nullptr;
    bool started_ = false;
    bool ready_ = false;
    std::thread::id id_;
};

} // namespace zavi::platform::sdl_display

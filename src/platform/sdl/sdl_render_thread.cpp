#include "platform/sdl/sdl_render_thread.h"

#include <SDL.h>

namespace zavi::platform::sdl_display {

RenderThread *RenderThread::Get()
{
    // Never destroyed: the thread and SDL stay up until the process ends.
    static RenderThread *instance = [] {
        auto *thread = new RenderThread;
        if (thread->Start()) return thread;
        delete thread;
        return static_cast<RenderThread *>(nullptr);
    }();
    return instance;
}

bool RenderThread::Start()
{
    std::thread worker([this] { Loop(); });
    id_ = worker.get_id();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
    if (ready_) {
        worker.detach();
        return true;
    }
    lock.unlock();
    worker.join();
    return false;
}

void RenderThread::Loop()
{
    // Whether the screen saver may run is the client application's business,
    // not its video library's.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    const bool ready = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    {
        std::lock_guard lock(mutex_);
        started_ = true;
        ready_ = ready;
    }
    changed_.notify_all();
    if (!ready) return;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return callable_ != nullptr; });
        void *callable = callable_;
        void (*invoke)(void *) = invoke_;
        lock.unlock(); // the task takes locks of its own (SDL's, the GL driver's)
        invoke(callable);
        lock.lock();
        callable_ = nullptr;
        changed_.notify_all();
    }
}

void RenderThread::Invoke(void *callable, void (*invoke)(void *))
{
    if (std::this_thread::get_id() == id_) {
        invoke(callable);
        return;
    }
    std::lock_guard submit(submitMutex_);
    std::unique_lock lock(mutex_);
    callable_ = callable;
    invoke_ = invoke;
    changed_.notify_all();
    changed_.wait(lock, [this] { return callable_ == nullptr; });
}

} // namespace zavi::platform::sdl_display

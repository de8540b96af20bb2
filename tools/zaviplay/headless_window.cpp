#include <vector>

#include "ZAVIVirtualDisplay.h"
#include "play_window.h"
#include "ppm_file.h"

namespace zaviplay {

namespace {

class HeadlessWindow final : public PlayWindow {
public:
    HeadlessWindow(ZAVI_HWND handle, int width, int height) : handle_(handle), width_(width), height_(height) {}
    ~HeadlessWindow() override { ZAVIVirtual_DestroyWindow(handle_); }

    ZAVI_HWND Handle() const override { return handle_; }
    bool PumpEvents() override { return true; }

    bool SaveSnapshot(const std::string &path) override
    {
        std::vector<uint8_t> bgr(static_cast<size_t>(width_) * height_ * kBgrBytesPerPixel);
        int32_t width = 0;
        int32_t height = 0;
        if (ZAVIVirtual_ReadWindowPixels(handle_, bgr.data(), static_cast<int32_t>(bgr.size()), &width, &height) != 0)
            return false;
        return WritePpmFromBgr(path, bgr.data(), width, height, static_cast<size_t>(width) * kBgrBytesPerPixel);
    }

    std::string Describe() const override { return "headless window on the virtual screen"; }

private:
    ZAVI_HWND handle_;
    int width_;
    int height_;
};

} // namespace

std::unique_ptr<PlayWindow> OpenHeadlessWindow(int x, int y, int width, int height)
{
    const ZAVI_HWND handle = ZAVIVirtual_CreateWindow(x, y, width, height, 1);
    if (handle == 0) return nullptr;
    return std::make_unique<HeadlessWindow>(handle, width, height);
}

} // namespace zaviplay

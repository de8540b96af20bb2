#include <cstdio>
#include <vector>

#include "ZAVIVirtualDisplay.h"
#include "play_window.h"

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
        std::vector<uint8_t> bgr(static_cast<size_t>(width_) * height_ * 3);
        int32_t width = 0;
        int32_t height = 0;
        if (ZAVIVirtual_ReadWindowPixels(handle_, bgr.data(), static_cast<int32_t>(bgr.size()), &width, &height) != 0)
            return false;
        FILE *out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) return false;
        std::fprintf(out, "P6\n%d %d\n255\n", width, height);
        for (int32_t i = 0; i < width * height; ++i) {
            const uint8_t rgb[3] = {bgr[i * 3 + 2], bgr[i * 3 + 1], bgr[i * 3]};
            std::fwrite(rgb, 1, 3, out);
        }
        return std::fclose(out) == 0;
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

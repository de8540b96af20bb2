// A plain Win32 window per channel, as a Windows client hands the window of
// its video control to the library. The library draws in it from its own
// threads; zaviplay keeps the window's messages flowing.
#include <windows.h>

#include "play_window.h"
#include "win32_snapshot.h"

namespace zaviplay {

namespace {

constexpr char kClassName[] = "zaviplay channel";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
// Set in the window's user data once the user asked to close it.
constexpr LONG_PTR kCloseAsked = 1;

// Closing only raises the flag: the window must outlive the player drawing
// in it, so it goes when its channel is taken down.
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        SetWindowLongPtrA(window, GWLP_USERDATA, kCloseAsked);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWindowClass()
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    return RegisterClassExA(&windowClass) != 0;
}

class Win32Window final : public PlayWindow {
public:
    explicit Win32Window(HWND window) : window_(window) {}
    ~Win32Window() override { DestroyWindow(window_); }

    ZAVI_HWND Handle() const override { return static_cast<ZAVI_HWND>(reinterpret_cast<uintptr_t>(window_)); }

    bool PumpEvents() override
    {
        MSG message;
        while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return GetWindowLongPtrA(window_, GWLP_USERDATA) != kCloseAsked;
    }

    bool SaveSnapshot(const std::string &path) override { return SaveWindowPicture(window_, path); }
    std::string Describe() const override { return "Win32 window " + std::to_string(Handle()); }

private:
    HWND window_;
};

} // namespace

std::unique_ptr<PlayWindow> OpenDisplayWindow(int x, int y, int width, int height, const std::string &title)
{
    static const bool registered = RegisterWindowClass();
    if (!registered) return nullptr;
    // The picture gets the whole client area; the frame goes around it, and
    // the grid of channels (x and y are multiples of the size) spreads by
    // the frame so that neighbours do not cover each other.
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    HWND window = CreateWindowExA(0, kClassName, title.c_str(), kStyle, x / width * outerWidth,
                                  y / height * outerHeight, outerWidth, outerHeight, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return std::make_unique<Win32Window>(window);
}

} // namespace zaviplay

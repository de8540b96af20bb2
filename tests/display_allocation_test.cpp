// Showing a picture allocates nothing once the surfaces exist: the copy into
// the picture surface and the blits work in place, picture after picture.
#include "display_test_scene.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<int> allocations{0};

} // namespace

// Counts the allocations of this test program while `counting` is on. The
// replacements pair malloc with free, which GCC cannot see through once it
// inlines them into this file's containers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size)
{
    if (counting.load()) ++allocations;
    if (void *block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void operator delete(void *block) noexcept { std::free(block); }
void operator delete(void *block, std::size_t) noexcept { std::free(block); }

namespace display_test {
namespace {

using zavi::display::Display;

class AllocationTest : public DisplayTest {};

TEST_F(AllocationTest, PicturesAfterTheFirstAllocateNothing)
{
    UseMonitors({{0, 0, 320, 240}, {-320, 0, 320, 240, ZAVIVIRTUAL_MONITOR_NO_YV12}});
    const ZAVI_HWND window = ZAVIVirtual_CreateWindow(-100, 10, 200, 150, 1);
    TestPicture picture(64, 48);
    picture.Bars({kRed, kGreen});
    Display display;
    ASSERT_TRUE(SetUpAndShow(display, window, picture)); // YV12 on one device, YUY2 on the other

    allocations = 0;
    counting = true;
    for (int n = 0; n < 10; ++n) Show(display, picture);
    display.Repaint();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
}

} // namespace
} // namespace display_test

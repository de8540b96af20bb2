/* ZAVIVirtualDisplay: the scene of the headless display backend.
 *
 * With ZAVI_PLATFORM=virtual the library shows pictures on virtual monitors
 * in virtual windows held in memory. These functions, exported by the player
 * library, let tests and headless tools set that scene up (monitors of any
 * geometry, negative coordinates included, and windows on them), read back
 * what was drawn, and make chosen display calls fail.
 *
 * Monitors: the scene starts with the monitors listed in the environment
 * variable ZAVI_VIRTUAL_MONITORS ("x,y,w,h[;x,y,w,h...]", the first is the
 * primary one), or with one 1024 x 768 monitor at 0,0. The library gathers
 * its display devices once, when it is attached; after changing the
 * monitors, ZAVIVirtual_RegatherDisplayDevices() gathers them again for the
 * players created afterwards. As on a real system, one monitor is reported
 * as the default display driver only; two or more are reported each as a
 * device of its own.
 *
 * Pixels: every monitor keeps 32-bit screen pixels; a blit or a drawing into
 * a window lands on the monitors it touches, clipped to the window's client
 * area (windows do not hide one another). A new monitor, and every monitor
 * after ZAVIVirtual_FillScreens, holds one colour.
 */
#ifndef ZAVIVIRTUALDISPLAY_H
#define ZAVIVIRTUALDISPLAY_H

#include "ZAVIPlaySDK.h"

#include <stdint.h>

/* Monitor capability flags of ZAVIVirtual_AddMonitor. */
#define ZAVIVIRTUAL_MONITOR_DEFAULT        0u
#define ZAVIVIRTUAL_MONITOR_NO_HW_STRETCH  1u /* no hardware stretch, no video memory */
#define ZAVIVIRTUAL_MONITOR_NO_YV12        2u /* YV12 surfaces refused */
#define ZAVIVIRTUAL_MONITOR_NO_YUY2        4u /* YUY2 surfaces refused */

/* Display calls that ZAVIVirtual_FailNext can make fail. */
#define ZAVIVIRTUAL_CALL_CREATE_DRIVER     1  /* DirectDrawCreateEx */
#define ZAVIVIRTUAL_CALL_COOPERATIVE_LEVEL 2  /* SetCooperativeLevel */
#define ZAVIVIRTUAL_CALL_CREATE_PRIMARY    3  /* CreateSurface of a primary surface */
#define ZAVIVIRTUAL_CALL_CREATE_YV12       4  /* CreateSurface of a YV12 surface */
#define ZAVIVIRTUAL_CALL_CREATE_YUY2       5  /* CreateSurface of a YUY2 surface */
#define ZAVIVIRTUAL_CALL_CREATE_RGB        6  /* CreateSurface of an RGB off-screen surface */
#define ZAVIVIRTUAL_CALL_LOCK              7  /* Lock of any surface */
#define ZAVIVIRTUAL_CALL_UNLOCK            8
#define ZAVIVIRTUAL_CALL_BLT               9  /* Blt of any surface (colour fills too) */
#define ZAVIVIRTUAL_CALL_CREATE_CLIPPER    10 /* CreateClipper */
#define ZAVIVIRTUAL_CALL_BIND_CLIPPER      11 /* SetHWnd of a clipper */
#define ZAVIVIRTUAL_CALL_SET_CLIPPER       12 /* SetClipper of a surface */
#define ZAVIVIRTUAL_CALL_GET_DC            13 /* GetDC of a surface */

/* Objects counted by ZAVIVirtual_LiveObjects. */
#define ZAVIVIRTUAL_OBJECT_DRIVER          1
#define ZAVIVIRTUAL_OBJECT_SURFACE         2
#define ZAVIVIRTUAL_OBJECT_CLIPPER         3

/* Removes every window and monitor and clears pending failures. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_ResetScene(void);

/* Adds a monitor with its screen rectangle (x, y, width, height, in virtual
 * desktop coordinates) and its work area (the part not covered by task bars).
 * The first monitor of the scene is the primary one. Returns its monitor
 * handle, 0 when the geometry is invalid. */
ZAVI_API uintptr_t ZAVI_CALL ZAVIVirtual_AddMonitor(int32_t x, int32_t y, int32_t width,
                                                           int32_t height, int32_t workX, int32_t workY,
                                                           int32_t workWidth, int32_t workHeight,
                                                           uint32_t capabilities);
/* Removes a monitor: surfaces made on it are lost for good. */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_RemoveMonitor(uintptr_t monitor);

/* Gathers the library's display devices again from the current monitors
 * (what the library does when it is attached). Players created before keep
 * the devices they were built with. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_RegatherDisplayDevices(void);

/* Creates a window whose client area is width x height at (x, y) in desktop
 * coordinates; returns its handle (never 0). */
ZAVI_API ZAVI_HWND ZAVI_CALL ZAVIVirtual_CreateWindow(int32_t x, int32_t y, int32_t width,
                                                              int32_t height, int32_t visible);
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_MoveWindow(ZAVI_HWND window, int32_t x, int32_t y,
                                                         int32_t width, int32_t height);
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ShowWindow(ZAVI_HWND window, int32_t visible);
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_DestroyWindow(ZAVI_HWND window);

/* Paints every monitor with one colour (0x00RRGGBB). */
ZAVI_API void ZAVI_CALL ZAVIVirtual_FillScreens(uint32_t rgb);
/* The screen pixel at desktop coordinates (x, y) as 0x00RRGGBB, or -1 when
 * no monitor covers it. */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ReadScreenPixel(int32_t x, int32_t y);
/* Copies what the screen shows in the window's client area, whether the
 * window is visible or not, as rows of blue, green, red bytes (width x 3
 * bytes each, top row first); places no monitor covers read as 0. Writes the
 * client size to width and height (either may be null); returns 0, or -1 for
 * an unknown window or a buffer below width x height x 3 bytes. */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_ReadWindowPixels(ZAVI_HWND window, uint8_t *bgr,
                                                               int32_t capacity, int32_t *width,
                                                               int32_t *height);

/* Makes the next `count` calls of the given kind fail (0 cancels). */
ZAVI_API void ZAVI_CALL ZAVIVirtual_FailNext(int32_t call, int32_t count);
/* Loses every surface that exists now, as a display mode change does: their
 * locks and blits fail until they are restored. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_LoseSurfaces(void);
/* Number of driver objects, surfaces or clippers alive now (leak checks). */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_LiveObjects(int32_t kind);

#endif /* ZAVIVIRTUALDISPLAY_H */

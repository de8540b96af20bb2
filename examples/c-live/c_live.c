/* c-live: the smallest live client of ZAVIPlaySDK.
 *
 * It opens a window of its own (X11; none when there is no display), creates
 * a player for it, pushes the packets of a packet stream file (.zvs, made by
 * zavipack) into it at the pace of their time stamps, as a device would
 * deliver them, and saves a JPEG snapshot of the last picture.
 *
 *   c-live STREAM.zvs SNAPSHOT.jpg
 */
#define _POSIX_C_SOURCE 200809L
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <X11/Xlib.h>

#include "ZAVIPlaySDK.h"

/* The packet header (docs/packet-format.md): little-endian fields. */
enum { HEADER_BYTES = 32, OFF_HEADER_LENGTH = 2, OFF_PAYLOAD_LENGTH = 8, OFF_TIME_STAMP = 12 };
static const uint8_t SYNC[2] = {0x56, 0x5A};

static uint32_t le32(const uint8_t *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

/* Reads the next packet of the file into *packet (grown as needed); its
 * length, or 0 at the end of the packets. */
static size_t read_packet(FILE *file, uint8_t **packet, size_t *capacity)
{
    uint8_t header[HEADER_BYTES];
    if (fread(header, 1, HEADER_BYTES, file) != HEADER_BYTES || memcmp(header, SYNC, 2) != 0 ||
        header[OFF_HEADER_LENGTH] < HEADER_BYTES)
        return 0;
    const size_t length = header[OFF_HEADER_LENGTH] + (size_t)le32(header + OFF_PAYLOAD_LENGTH);
    if (length > *capacity) {
        uint8_t *grown = realloc(*packet, length);
        if (grown == NULL) return 0;
        *packet = grown;
        *capacity = length;
    }
    memcpy(*packet, header, HEADER_BYTES);
    if (fread(*packet + HEADER_BYTES, 1, length - HEADER_BYTES, file) != length - HEADER_BYTES) return 0;
    return length;
}

static double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

static void sleep_ms(double ms)
{
    if (ms <= 0) return;
    struct timespec t = {(time_t)(ms / 1000), (long)((ms - (time_t)(ms / 1000) * 1000.0) * 1e6)};
    nanosleep(&t, NULL);
}

/* A plain X11 window, the way a toolkit client hands its widget's window id
 * to the library; 0 (no window: the player decodes but shows nothing) when
 * no display is reachable or the library plays headless. */
static ZAVI_HWND open_window(Display **display)
{
    const char *platform = getenv("ZAVI_PLATFORM");
    *display = (platform != NULL && strcmp(platform, "virtual") == 0) ? NULL : XOpenDisplay(NULL);
    if (*display == NULL) return 0;
    const int screen = DefaultScreen(*display);
    Window window = XCreateSimpleWindow(*display, RootWindow(*display, screen), 0, 0, 704, 576, 0,
                                        BlackPixel(*display, screen), BlackPixel(*display, screen));
    XStoreName(*display, window, "c-live");
    XSelectInput(*display, window, StructureNotifyMask);
    XMapWindow(*display, window);
    for (XEvent event;;) { /* the library draws once the window is on screen */
        XNextEvent(*display, &event);
        if (event.type == MapNotify) break;
    }
    return (ZAVI_HWND)window;
}

/* Pushes every packet when its time stamp is due; the number of packets. */
static unsigned feed(ZAVI_HANDLE player, FILE *file)
{
    uint8_t *packet = NULL;
    size_t capacity = 0, length;
    unsigned count = 0;
    uint32_t first = 0;
    double start = now_ms();
    while ((length = read_packet(file, &packet, &capacity)) > 0) {
        const uint32_t stamp = le32(packet + OFF_TIME_STAMP);
        if (count++ == 0) first = stamp;
        sleep_ms(start + (double)(uint32_t)(stamp - first) - now_ms());
        ZAVI_Play_InputStream(player, packet, (int32_t)length, 1, 1);
    }
    free(packet);
    return count;
}

/* Once the player has shown what it was given, the snapshot is its last
 * picture. The snapshot's memory is the player's, valid until its next
 * snapshot or release. */
static int save_snapshot(ZAVI_HANDLE player, const char *path)
{
    uint32_t cached = 1;
    for (int wait = 0; wait < 500 && cached > 0; ++wait) {
        ZAVI_Play_GetVideoFrameCount(player, &cached);
        sleep_ms(10);
    }
    sleep_ms(100); /* the last frame taken from the cache is still being shown */
    uint8_t *jpeg = NULL;
    uint32_t size = 0;
    if (ZAVI_Play_CaptureOnePicture(player, &jpeg, &size, ZAVI_CAPTURE_JPEG) != ZAVI_OK) return -1;
    FILE *out = fopen(path, "wb");
    if (out == NULL) return -1;
    const int written = fwrite(jpeg, 1, size, out) == size;
    return fclose(out) == 0 && written ? (int)size : -1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: c-live STREAM.zvs SNAPSHOT.jpg\n");
        return 2;
    }
    FILE *file = fopen(argv[1], "rb");
    if (file == NULL) {
        perror(argv[1]);
        return 1;
    }
    Display *display = NULL;
    const ZAVI_HWND window = open_window(&display);
    ZAVI_HANDLE player = 0;
    if (ZAVI_Play_InitPlayer(window, &player) != ZAVI_OK) {
        fprintf(stderr, "c-live: no player\n");
        return 1;
    }
    const unsigned packets = feed(player, file);
    fclose(file);
    const int saved = save_snapshot(player, argv[2]);
    ZAVI_Play_ReleasePlayer(player);
    if (display != NULL) XCloseDisplay(display);
    printf("c-live: %u packets played %s, snapshot %s (%d bytes)\n", packets, window ? "in an X11 window" : "without a window",
           saved > 0 ? argv[2] : "failed", saved);
    return saved > 0 ? 0 : 1;
}

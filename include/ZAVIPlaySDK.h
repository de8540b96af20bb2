/* ZAVIPlaySDK: playback library for DVR and network-camera clients.
 *
 * A client creates a player for one of its windows, pushes live media packets
 * into it (or opens a recording), and steers playback through these exports.
 * Every export returns a signed 32-bit status: 0 on success, a negative code
 * on failure (see ZAVI_ERR_*). Handle-taking exports return ZAVI_ERR_FAIL for
 * a zero handle; the release functions always return 0.
 *
 * The header compiles as C and as C++.
 */
#ifndef ZAVIPLAYSDK_H
#define ZAVIPLAYSDK_H

#include <stdint.h>

/* ---- Calling convention, linkage and handle types ----------------------
 * Windows (i686): stdcall exports with the 32-bit types the devices' clients
 * were written against. 64-bit builds (Linux, and the 64-bit Windows build
 * the tests run on) keep every name, argument order and meaning, with
 * pointer-sized handles so an address always fits. */
#if defined(_WIN32)
#  define ZAVI_CALL __stdcall
#  if defined(ZAVIPLAYSDK_BUILD)
#    define ZAVI_EXPORT /* the DLL's .def file lists its exports */
#  else
#    define ZAVI_EXPORT __declspec(dllimport)
#  endif
#else
#  define ZAVI_CALL
#  if defined(ZAVIPLAYSDK_BUILD)
#    define ZAVI_EXPORT __attribute__((visibility("default")))
#  else
#    define ZAVI_EXPORT
#  endif
#endif

#if defined(_WIN32) && !defined(_WIN64)
typedef uint32_t ZAVI_HANDLE;   /* player, talkback or image handle */
typedef uint32_t ZAVI_HWND;     /* window handle */
typedef uint32_t ZAVI_UINTARG;  /* 32-bit value passed through to the file module */
#else
typedef uintptr_t ZAVI_HANDLE;  /* player, talkback or image handle */
typedef uintptr_t ZAVI_HWND;    /* HWND on Windows, X11 window id on Linux; 0 = no window */
typedef uintptr_t ZAVI_UINTARG; /* value passed through to the file module */
#endif

#ifdef __cplusplus
#  define ZAVI_API extern "C" ZAVI_EXPORT
#else
#  define ZAVI_API ZAVI_EXPORT
#endif

/* ---- Return codes ------------------------------------------------------ */
#define ZAVI_OK                    0
#define ZAVI_ERR_FAIL             (-1)    /* zero handle, refused create, refused call */
#define ZAVI_ERR_CLIPPER_CREATE   (-2)    /* part display: clipper not created */
#define ZAVI_ERR_CLIPPER_BIND     (-3)    /* part display: clipper not bound to the window */
#define ZAVI_ERR_CAPTURE_FORMAT   (-4)    /* talkback: a capture format no packet can be encoded in */
#define ZAVI_ERR_INVALID_ARG      (-980)  /* null pointer, bad mode, packet the cache cannot take */
#define ZAVI_ERR_NO_MEMORY        (-986)  /* snapshot working memory not allocated */
#define ZAVI_ERR_NO_READER        (-998)  /* no file has been opened on the player */
#define ZAVI_ERR_READER_THREAD    (-1195) /* the file reader thread could not be started */

/* Play modes of ZAVI_Play_PlayStream. */
#define ZAVI_PLAYMODE_PAUSED       0
#define ZAVI_PLAYMODE_PLAYING      1
#define ZAVI_PLAYMODE_SINGLE_FRAME 2

/* Snapshot formats of ZAVI_Play_CaptureOnePicture. */
#define ZAVI_CAPTURE_BMP           0
#define ZAVI_CAPTURE_JPEG          1

/* Reference frame of the coordinate helpers. */
#define ZAVI_REFERENCE_WIDTH      704
#define ZAVI_REFERENCE_HEIGHT     576

/* ---- Callbacks ---------------------------------------------------------- */
/* File playback: the status of a reading step, the reader's position value. */
typedef void (ZAVI_CALL *ZAVI_PlayStatusCallback)(int32_t status, uint32_t position,
                                                   uintptr_t user1, uintptr_t user2);
/* Drawing over the picture: a device context, the size in which coordinates
 * are given, the two user values. The device context is a GDI HDC on Windows
 * and a cairo_t * in the native Linux build (draw on it with cairo; it is laid
 * over the picture when the callback returns). The library owns it: do not
 * keep it, destroy it or leave saves and restores unbalanced. */
typedef void (ZAVI_CALL *ZAVI_DrawCallback)(uintptr_t deviceContext, int32_t width,
                                             int32_t height, uintptr_t user1, uintptr_t user2);
/* Talkback capture: encoded data and its length. */
typedef void (ZAVI_CALL *ZAVI_CaptureDataCallback)(const uint8_t *data, uint32_t length,
                                                    uintptr_t user1, uintptr_t user2);

/* Rectangle of the part display, in picture pixels (the Win32 RECT layout). */
typedef struct ZAVI_RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} ZAVI_RECT;

/* Talkback start parameters (the WAVEFORMATEX layout). */
typedef struct ZAVI_WAVEFORMAT {
    uint16_t wFormatTag;
    uint16_t nChannels;
    uint32_t nSamplesPerSec;
    uint32_t nAvgBytesPerSec;
    uint16_t nBlockAlign;
    uint16_t wBitsPerSample;
    uint16_t cbSize;
} ZAVI_WAVEFORMAT;

/* ---- Library ------------------------------------------------------------ */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Init(void);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Cleanup(void);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetSdkVersion(void);

/* ---- Player lifecycle and intake --------------------------------------- */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InitPlayer(ZAVI_HWND window, ZAVI_HANDLE *outPlayer);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ReleasePlayer(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InputStream(ZAVI_HANDLE player, const uint8_t *packet,
                                                 int32_t length, uint8_t timeStampFlag,
                                                 uint8_t displayFlag);

/* ---- Play control -------------------------------------------------------- */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_PlayStream(ZAVI_HANDLE player, uint32_t mode);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Play(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Pause(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Resume(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FastPlay(ZAVI_HANDLE player, int32_t step);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FastPlayBack(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FrameBack(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_FrameGO(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlaySpeed(ZAVI_HANDLE player, float speed,
                                                  float frameIntervalMs, uint8_t catchUp);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPreCacheCount(ZAVI_HANDLE player, uint32_t count);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetAdjustPri(ZAVI_HANDLE player, uint8_t videoLeads);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetVideoType(ZAVI_HANDLE player, uint8_t videoType);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetAudio(ZAVI_HANDLE player, uint8_t audioOn);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetPlayTimeStamp(ZAVI_HANDLE player, uint32_t *timeStamp);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetVolume(ZAVI_HANDLE player, int32_t volume);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetVolume(ZAVI_HANDLE player, int32_t *volume);

/* ---- Caches --------------------------------------------------------------- */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ClearCache(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetVideoFrameCount(ZAVI_HANDLE player, uint32_t *count);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetAudioFrameCount(ZAVI_HANDLE player, uint32_t *count);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetCacheProperty(ZAVI_HANDLE player, uint8_t property);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetCacheSize(ZAVI_HANDLE player, uint32_t videoSize,
                                                  uint32_t audioSize);

/* ---- Recorded files ------------------------------------------------------ */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_OpenFile(ZAVI_HANDLE player, ZAVI_UINTARG first,
                                              ZAVI_UINTARG second, uint32_t *result,
                                              uint8_t readerKind);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_CloseFile(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Stop(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_Seek(ZAVI_HANDLE player, float where);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlayPosition(ZAVI_HANDLE player, uint32_t position);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetPlayPosition(ZAVI_HANDLE player, uint32_t *position);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPlayLoop(ZAVI_HANDLE player, uint8_t loop);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetFileInfo(ZAVI_HANDLE player, uint32_t *first,
                                                 uint32_t *fourth);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetTimeLine(ZAVI_HANDLE player, ZAVI_UINTARG a,
                                                 ZAVI_UINTARG b);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetFastSearch(ZAVI_HANDLE player, ZAVI_UINTARG a,
                                                   ZAVI_UINTARG b, ZAVI_UINTARG c);
/* Exported as _ZAVI_Play_GetFirstRule@12 on Windows. */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetFirstRule(ZAVI_HANDLE player, ZAVI_UINTARG a,
                                                  ZAVI_UINTARG b);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_GetNextRule(ZAVI_HANDLE player, ZAVI_UINTARG a,
                                                 ZAVI_UINTARG b);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetRule(ZAVI_HANDLE player, const uint8_t *rulePacket,
                                             int32_t length);
/* The file module's own first-rule query, reached directly (no player involved). */
ZAVI_API int32_t ZAVI_CALL ZAVI_Read_GetFirstRule(ZAVI_HANDLE reader, ZAVI_UINTARG a,
                                                  ZAVI_UINTARG b);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RegPlayStatusMsg(ZAVI_HANDLE player,
                                                      ZAVI_PlayStatusCallback callback,
                                                      uintptr_t user1, uintptr_t user2);

/* ---- Display ------------------------------------------------------------- */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ChangeDisplayWnd(ZAVI_HANDLE player, ZAVI_HWND window);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RepaintWindow(ZAVI_HANDLE player);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetPartDisplay(ZAVI_HANDLE player, ZAVI_HWND window,
                                                    const ZAVI_RECT *pictureRect);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_RegOnDrawCallBack(ZAVI_HANDLE player,
                                                       ZAVI_DrawCallback callback,
                                                       uintptr_t user1, uintptr_t user2);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_SetDrawMode(ZAVI_HANDLE player, int32_t mode);

/* ---- Snapshot and image viewer -------------------------------------------- */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_CaptureOnePicture(ZAVI_HANDLE player, uint8_t **data,
                                                       uint32_t *size, int32_t format);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InitImage(ZAVI_HWND window, ZAVI_HANDLE *outImage);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_InputImage(ZAVI_HANDLE image, const uint8_t *packet,
                                                int32_t length);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_ReleaseImage(ZAVI_HANDLE image);

/* ---- Talkback ------------------------------------------------------------ */
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKInit(ZAVI_HWND window, ZAVI_HANDLE *outTalkback);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRelease(ZAVI_HANDLE talkback);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStart(ZAVI_HANDLE talkback,
                                             const ZAVI_WAVEFORMAT *format);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKStop(ZAVI_HANDLE talkback);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKRegCaptureDataCB(ZAVI_HANDLE talkback,
                                                        ZAVI_CaptureDataCallback callback,
                                                        uintptr_t user1, uintptr_t user2);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSendToPCData(ZAVI_HANDLE talkback,
                                                    const uint8_t *packet, int32_t length);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKSetVolume(ZAVI_HANDLE talkback, int32_t volume);
ZAVI_API int32_t ZAVI_CALL ZAVI_Play_TKGetVolume(ZAVI_HANDLE talkback, int32_t *volume);

/* ---- Coordinates against the 704 x 576 reference frame ------------------- */
ZAVI_API float ZAVI_CALL ZAVI_SDK_ValueToWindow_rx(int32_t value);
ZAVI_API float ZAVI_CALL ZAVI_SDK_ValueToWindow_ry(int32_t value);
ZAVI_API float ZAVI_CALL ZAVI_SDK_WindowToValue_rx(int32_t value);
ZAVI_API float ZAVI_CALL ZAVI_SDK_WindowToValue_ry(int32_t value);

#endif /* ZAVIPLAYSDK_H */

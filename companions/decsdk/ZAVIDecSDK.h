/* ZAVIDecSDK: the decoder module of the ZAVI product line.
 *
 * Decodes video (H.264, H.265) and audio (G.711 A-law / mu-law, PCM) stream
 * packets, encodes captured audio, and parses rule and motion/alarm packets.
 * Packets are passed whole, header included (see ZAVIPacket.h and
 * docs/packet-format.md). Every function returns 0 on success and a negative
 * ZAVIDEC_ERR_* code on failure. The header compiles as C and as C++.
 */
#ifndef ZAVIDECSDK_H
#define ZAVIDECSDK_H

#include <stdint.h>

#if defined(_WIN32)
#  define ZAVIDEC_CALL __stdcall
#  if defined(ZAVIDECSDK_BUILD)
#    define ZAVIDEC_EXPORT __declspec(dllexport)
#  else
     /* Callers link through the import library; the player's own header
      * declares one of these names too, so no dllimport here. */
#    define ZAVIDEC_EXPORT
#  endif
#else
#  define ZAVIDEC_CALL
#  define ZAVIDEC_EXPORT __attribute__((visibility("default")))
#endif
#if defined(_WIN32) && !defined(_WIN64)
typedef uint32_t ZAVIDEC_HANDLE;
#else
typedef uintptr_t ZAVIDEC_HANDLE;  /* pointer-sized on 64-bit builds */
#endif

#ifdef __cplusplus
#  define ZAVIDEC_API extern "C" ZAVIDEC_EXPORT
#else
#  define ZAVIDEC_API ZAVIDEC_EXPORT
#endif

/* Status codes. */
#define ZAVIDEC_OK                 0
#define ZAVIDEC_ERR_ARG          (-1)   /* null pointer, zero handle, length < 1 */
#define ZAVIDEC_ERR_HEADER       (-2)   /* not a packet: bad sync word, header or payload length */
#define ZAVIDEC_ERR_CODEC        (-3)   /* codec id unknown, or of the wrong family */
#define ZAVIDEC_ERR_DECODE       (-4)   /* the codec refused the payload */
#define ZAVIDEC_ERR_NO_PICTURE   (-5)   /* payload accepted, no picture (yet) to show, or only
                                          a damaged one until the next key frame */
#define ZAVIDEC_ERR_NO_MEMORY    (-6)
#define ZAVIDEC_ERR_INIT         (-7)   /* the codec could not be opened */
#define ZAVIDEC_ERR_PARSE        (-8)   /* rule or motion payload malformed */

/* Format code of a decoded picture: planar 4:2:0, Y then Cb then Cr. */
#define ZAVIDEC_PICTURE_I420       0u

/* Decoded picture. The buffer belongs to the decoder and stays valid until the
 * next decode on the same handle; callers only read it (it may hold a picture
 * the codec still predicts from): luma (width x height), Cb at width x height,
 * Cr at 5 x width x height / 4, each chroma plane height/2 rows of width/2.
 * Width and height are always even: a coded picture of odd size is cropped
 * by its last column and/or row. Only 8-bit 4:2:0 streams decode. */
typedef struct ZAVIDEC_PICTURE {
    uint32_t format;
    uint16_t width;
    uint16_t height;
    uint32_t held;              /* nonzero while a picture is held */
    uint8_t *buffer;
} ZAVIDEC_PICTURE;

/* Audio record: decoder output and encoder input. */
typedef struct ZAVIDEC_AUDIO {
    uint32_t sampleRate;
    uint8_t  channels;
    uint8_t  bitsPerSample;
    uint16_t formatTag;
    uint32_t byteCount;
    uint8_t *samples;
} ZAVIDEC_AUDIO;

/* Audio format tags: the coding of an audio packet, reported in a decoded
 * record (whose samples are always 16-bit PCM) and chosen for the encoder. */
#define ZAVIDEC_FORMAT_G711A       0xC0u
#define ZAVIDEC_FORMAT_G711U       0xC1u
#define ZAVIDEC_FORMAT_PCM16       0xC2u
#define ZAVIDEC_FORMAT_AAC         0xC3u   /* decode only */

/* Result of ZAVI_PickMV. `data` belongs to the decoder module and stays
 * valid until the next ZAVI_PickMV call on the same thread. */
typedef struct ZAVIDEC_MVRESULT {
    uint32_t kind;              /* ZAVIDEC_MV_KIND_* */
    uint32_t count;             /* rules in a rule block, cells in a motion grid */
    uint32_t length;            /* bytes at data (2056 for a rule block) */
    const uint8_t *data;
} ZAVIDEC_MVRESULT;

#define ZAVIDEC_MV_KIND_RULES   1u
#define ZAVIDEC_MV_KIND_MOTION  2u

/* Rule block (kind RULES, 2056 bytes, little-endian, unused bytes zero):
 *   0 u8 packet sub-type (80..95)   2 u8 rule kind (1 regions, 2 lines)
 *   4 u32 matching window in ms
 *   regions: 8 s32 count, records of 68 bytes from 12: s32 n (points after
 *            the first), first point (s16 x, s16 y) at 4, point k+1 at 8 + 4k
 *   lines:   8 u16 count, records of 10 bytes from 10: u16 rule id,
 *            s16 x1, y1, x2, y2 at 2, 4, 6, 8 */
#define ZAVIDEC_RULE_BLOCK_SIZE      2056u
#define ZAVIDEC_RULE_OFF_SUB_TYPE    0u
#define ZAVIDEC_RULE_OFF_KIND        2u
#define ZAVIDEC_RULE_OFF_WINDOW      4u
#define ZAVIDEC_RULE_OFF_COUNT       8u
#define ZAVIDEC_RULE_OFF_REGIONS     12u
#define ZAVIDEC_RULE_REGION_SIZE     68u
#define ZAVIDEC_RULE_REGION_OFF_N    0u
#define ZAVIDEC_RULE_REGION_OFF_FIRST 4u
#define ZAVIDEC_RULE_REGION_OFF_MORE 8u
#define ZAVIDEC_RULE_OFF_LINES       10u
#define ZAVIDEC_RULE_LINE_SIZE       10u

/* Motion data (kind MOTION, 12 + cells bytes, little-endian):
 *   0 u32 time stamp of the packet   4 u32 alarm mask (bit i: rule i mod 32)
 *   8 u16 grid columns  10 u16 grid rows  12 one motion level per cell */
#define ZAVIDEC_MOTION_OFF_TIME_STAMP 0u
#define ZAVIDEC_MOTION_OFF_ALARM     4u
#define ZAVIDEC_MOTION_OFF_COLUMNS   8u
#define ZAVIDEC_MOTION_OFF_ROWS      10u
#define ZAVIDEC_MOTION_OFF_CELLS     12u

/* Video. */
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Init(ZAVIDEC_HANDLE *handle);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Decode(ZAVIDEC_HANDLE handle, const uint8_t *packet,
                                                     int32_t length, ZAVIDEC_PICTURE *picture);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_VideoDec_Release(ZAVIDEC_HANDLE handle);

/* Audio decode. */
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Init(ZAVIDEC_HANDLE *handle);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Decode(ZAVIDEC_HANDLE handle, const uint8_t *packet,
                                                     int32_t length, ZAVIDEC_AUDIO *audio);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioDec_Release(ZAVIDEC_HANDLE handle);

/* Audio encode: PCM in, one audio packet (header included) out. */
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Init(ZAVIDEC_HANDLE *handle);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Encode(ZAVIDEC_HANDLE handle,
                                                     const ZAVIDEC_AUDIO *pcm, uint32_t nowMs,
                                                     const uint8_t **data, uint32_t *length);
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_AudioEnc_Release(ZAVIDEC_HANDLE handle);

/* Rule and motion/alarm packets (frame type 80). */
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVI_PickMV(const uint8_t *packet, int32_t length,
                                            ZAVIDEC_MVRESULT *result);

/* Test seam: make later Init calls fail, to exercise the callers' failure
 * paths against the real module. Bits: 1 video decoder, 2 audio decoder,
 * 4 audio encoder. 0 restores normal behaviour. */
#define ZAVIDEC_FAIL_VIDEO_INIT   1u
#define ZAVIDEC_FAIL_AUDIO_INIT   2u
#define ZAVIDEC_FAIL_ENCODER_INIT 4u
ZAVIDEC_API void ZAVIDEC_CALL ZAVIDec_TestFailInit(uint32_t mask);
/* Number of handles of all families currently open (leak checks). */
ZAVIDEC_API int32_t ZAVIDEC_CALL ZAVIDec_TestOpenHandles(void);

#endif /* ZAVIDECSDK_H */

/* The stream packet of ZAVI devices: a 32-byte little-endian header followed by
 * the payload. Devices send it, recordings store it, the player and the
 * decoder module read it. docs/packet-format.md describes every byte.
 *
 *  off size field
 *    0  2   sync word 0x5A56 (bytes 'V' 'Z')
 *    2  1   header length in bytes (32)
 *    3  1   format version (1)
 *    4  2   frameType
 *    6  2   codec id (ZAVIPKT_CODEC_*)
 *    8  4   payload length in bytes
 *   12  4   timeStamp, milliseconds
 *   16  2   video: width   | audio: sample rate in Hz
 *   18  2   video: height  | audio: channels (byte 18), bits per sample (byte 19)
 *   20  2   video: frames per second x 100 | audio: 0
 *   22  2   sequence number (per stream, wraps)
 *   24  1   subType (frame type 80 only)
 *   25  3   reserved, 0
 *   28  4   reserved, 0
 * A packet is exactly header length + payload length bytes.
 * The header compiles as C and as C++.
 */
#ifndef ZAVIPACKET_H
#define ZAVIPACKET_H

#include <stdint.h>

#define ZAVIPKT_SYNC              0x5A56u
#define ZAVIPKT_HEADER_SIZE       32u
#define ZAVIPKT_VERSION           1u

#define ZAVIPKT_OFF_SYNC          0u
#define ZAVIPKT_OFF_HEADER_LEN    2u
#define ZAVIPKT_OFF_VERSION       3u
#define ZAVIPKT_OFF_FRAME_TYPE    4u
#define ZAVIPKT_OFF_CODEC         6u
#define ZAVIPKT_OFF_PAYLOAD_LEN   8u
#define ZAVIPKT_OFF_TIME_STAMP    12u
#define ZAVIPKT_OFF_WIDTH         16u
#define ZAVIPKT_OFF_HEIGHT        18u
#define ZAVIPKT_OFF_SAMPLE_RATE   16u
#define ZAVIPKT_OFF_CHANNELS      18u
#define ZAVIPKT_OFF_BITS          19u
#define ZAVIPKT_OFF_FPS100        20u
#define ZAVIPKT_OFF_SEQUENCE      22u
#define ZAVIPKT_OFF_SUB_TYPE      24u

/* Frame types. */
#define ZAVIPKT_FRAME_AUDIO       1u
#define ZAVIPKT_FRAME_A_KEY       33u
#define ZAVIPKT_FRAME_A_P         34u
#define ZAVIPKT_FRAME_A_B         35u
#define ZAVIPKT_FRAME_B_KEY       49u
#define ZAVIPKT_FRAME_B_P         50u
#define ZAVIPKT_FRAME_B_B         51u
#define ZAVIPKT_FRAME_EXTRA       80u

/* Sub-types of frame type 80. */
#define ZAVIPKT_SUB_RULE_FIRST    80u
#define ZAVIPKT_SUB_RULE_LAST     95u
#define ZAVIPKT_SUB_MOTION        1u   /* any sub-type outside 80..95 is motion/alarm data; devices send 1 */

/* Codec ids. */
#define ZAVIPKT_CODEC_NONE        0u
#define ZAVIPKT_CODEC_H264        1u
#define ZAVIPKT_CODEC_H265        2u
#define ZAVIPKT_CODEC_G711A       16u
#define ZAVIPKT_CODEC_G711U       17u
#define ZAVIPKT_CODEC_PCM16       18u
#define ZAVIPKT_CODEC_AAC         19u
#define ZAVIPKT_CODEC_RULES       32u
#define ZAVIPKT_CODEC_MOTION      33u

/* Rule packet payload (frame type 80, sub-type 80..95), little-endian:
 *   0  u8   rule kind: 1 regions, 2 lines      1  u8  reserved, 0
 *   2  u16  number of rules                    4  u32 matching window, ms
 *   8  records, back to back:
 *      region: u16 n (points after the first, 0..15), then n + 1 points (s16 x, s16 y)
 *      line:   u16 rule id, then s16 x1, y1, x2, y2
 * The payload ends exactly after the last record. */
#define ZAVIPKT_RULE_OFF_KIND        0u
#define ZAVIPKT_RULE_OFF_COUNT       2u
#define ZAVIPKT_RULE_OFF_WINDOW      4u
#define ZAVIPKT_RULE_HEAD_SIZE       8u
#define ZAVIPKT_RULE_KIND_REGIONS    1u
#define ZAVIPKT_RULE_KIND_LINES      2u
#define ZAVIPKT_RULE_MAX_REGIONS     30u
#define ZAVIPKT_RULE_MAX_LINES       204u
#define ZAVIPKT_REGION_MAX_POINTS    16u   /* the first point and at most 15 more */
#define ZAVIPKT_REGION_HEAD_SIZE     2u
#define ZAVIPKT_POINT_SIZE           4u
#define ZAVIPKT_LINE_SIZE            10u

/* Motion/alarm packet payload (frame type 80, any other sub-type):
 *   0  u32  alarm mask: bit i (mod 32) set while rule i is in alarm
 *   4  u16  grid columns      6  u16  grid rows
 *   8  one motion level byte per cell (0 none .. 255 strongest), row by row
 * The payload is exactly 8 + columns x rows bytes, at most 4096 cells. */
#define ZAVIPKT_MOTION_OFF_ALARM     0u
#define ZAVIPKT_MOTION_OFF_COLUMNS   4u
#define ZAVIPKT_MOTION_OFF_ROWS      6u
#define ZAVIPKT_MOTION_HEAD_SIZE     8u
#define ZAVIPKT_MOTION_MAX_CELLS     4096u

static inline uint16_t zavipkt_u16(const uint8_t *p) { return (uint16_t)(p[0] | (p[1] << 8)); }
static inline uint32_t zavipkt_u32(const uint8_t *p)
{
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
static inline void zavipkt_put16(uint8_t *p, uint16_t v) { p[0] = (uint8_t)v; p[1] = (uint8_t)(v >> 8); }
static inline void zavipkt_put32(uint8_t *p, uint32_t v)
{
    p[0] = (uint8_t)v; p[1] = (uint8_t)(v >> 8); p[2] = (uint8_t)(v >> 16); p[3] = (uint8_t)(v >> 24);
}

/* Writes a header for a payload of `payloadLength` bytes: sync word, header
 * length, version, frame type, codec id, payload length and time stamp; every
 * other header byte is zeroed for the caller to fill. */
static inline void zavipkt_put_header(uint8_t *p, uint16_t frameType, uint16_t codec,
                                      uint32_t payloadLength, uint32_t timeStamp)
{
    for (uint32_t i = 0; i < ZAVIPKT_HEADER_SIZE; ++i) p[i] = 0;
    zavipkt_put16(p + ZAVIPKT_OFF_SYNC, (uint16_t)ZAVIPKT_SYNC);
    p[ZAVIPKT_OFF_HEADER_LEN] = (uint8_t)ZAVIPKT_HEADER_SIZE;
    p[ZAVIPKT_OFF_VERSION] = (uint8_t)ZAVIPKT_VERSION;
    zavipkt_put16(p + ZAVIPKT_OFF_FRAME_TYPE, frameType);
    zavipkt_put16(p + ZAVIPKT_OFF_CODEC, codec);
    zavipkt_put32(p + ZAVIPKT_OFF_PAYLOAD_LEN, payloadLength);
    zavipkt_put32(p + ZAVIPKT_OFF_TIME_STAMP, timeStamp);
}

/* True when `length` bytes at `p` hold one whole, well-formed packet. */
static inline int zavipkt_is_whole(const uint8_t *p, uint32_t length)
{
    if (p == 0 || length < ZAVIPKT_HEADER_SIZE) return 0;
    if (zavipkt_u16(p + ZAVIPKT_OFF_SYNC) != ZAVIPKT_SYNC) return 0;
    uint32_t headerLength = p[ZAVIPKT_OFF_HEADER_LEN];
    if (headerLength < ZAVIPKT_HEADER_SIZE || headerLength > length) return 0;
    return zavipkt_u32(p + ZAVIPKT_OFF_PAYLOAD_LEN) <= length - headerLength;
}

#endif /* ZAVIPACKET_H */

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
#define ZAVIPKT_SUB_MOTION        1u

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

/* ZAVIFileSDK: the recording module of the ZAVI product line.
 *
 * Reads and writes recordings: files that hold the stream packets of a
 * device (ZAVIPacket.h) back to back, with an index of every packet that makes
 * seeking, reverse play and time-line queries fast. docs/recording-format.md
 * describes every byte. A recording whose index is missing or torn (a device
 * that lost power while writing) still opens: the index is rebuilt by
 * scanning, and playback reaches the last complete packet.
 *
 * Every function returns 0 on success, ZAVIFILE_DECODE_ONLY or ZAVIFILE_END
 * where said, and a negative ZAVIFILE_ERR_* code on failure. A handle is used
 * by one thread at a time. The header compiles as C and as C++.
 */
#ifndef ZAVIFILESDK_H
#define ZAVIFILESDK_H

#include <stdint.h>

#if defined(_WIN32)
#  define ZAVIFILE_CALL __stdcall
#  if defined(ZAVIFILESDK_BUILD)
#    define ZAVIFILE_EXPORT __declspec(dllexport)
#  else
     /* Callers link through the import library; the player's own header
      * declares one of these names too, so no dllimport here. */
#    define ZAVIFILE_EXPORT
#  endif
#else
#  define ZAVIFILE_CALL
#  define ZAVIFILE_EXPORT __attribute__((visibility("default")))
#endif
#if defined(_WIN32) && !defined(_WIN64)
typedef uint32_t ZAVIFILE_HANDLE;
typedef uint32_t ZAVIFILE_ARG;      /* 32-bit value passed through by the player */
#else
typedef uintptr_t ZAVIFILE_HANDLE;
typedef uintptr_t ZAVIFILE_ARG;     /* pointer-sized, so an address fits */
#endif

#ifdef __cplusplus
#  define ZAVIFILE_API extern "C" ZAVIFILE_EXPORT
#else
#  define ZAVIFILE_API ZAVIFILE_EXPORT
#endif

/* Statuses. */
#define ZAVIFILE_OK                 0
#define ZAVIFILE_DECODE_ONLY        (-1188) /* packet delivered to be decoded, not shown; read on */
#define ZAVIFILE_END                (-1189) /* no further packet in the reading order */
#define ZAVIFILE_ERR_ARG            (-1101) /* null pointer, zero handle, value out of range */
#define ZAVIFILE_ERR_HANDLE         (-1102) /* not an open handle of this module (or wrong side) */
#define ZAVIFILE_ERR_KIND           (-1103) /* reader kind not supported */
#define ZAVIFILE_ERR_OPEN           (-1104) /* the file cannot be opened, read or created */
#define ZAVIFILE_ERR_NOT_RECORDING  (-1105) /* no recording header at the start of the file */
#define ZAVIFILE_ERR_VERSION        (-1106) /* recording of a newer format version */
#define ZAVIFILE_ERR_INDEX          (-1107) /* stored index missing or corrupt (ZAVIFILE_OPEN_REQUIRE_INDEX) */
#define ZAVIFILE_ERR_CORRUPT        (-1108) /* a stored packet no longer matches the index */
#define ZAVIFILE_ERR_NOT_OPEN       (-1109) /* no recording is open on this reader */
#define ZAVIFILE_ERR_POSITION       (-1110) /* position beyond the recording */
#define ZAVIFILE_ERR_BUFFER         (-1111) /* buffer too small; the needed length was written */
#define ZAVIFILE_ERR_NO_RULE        (-1112) /* no (further) rule packet */
#define ZAVIFILE_ERR_NOT_FOUND      (-1113) /* fast search matched nothing */
#define ZAVIFILE_ERR_PACKET         (-1114) /* not a whole packet, or not of the kind the call takes */
#define ZAVIFILE_ERR_WRITE          (-1115) /* writing the recording failed */
#define ZAVIFILE_ERR_NO_MEMORY      (-1116)

/* ---- Reader ------------------------------------------------------------- */

/* Reader kinds. Only our own recording format is read. */
#define ZAVIFILE_KIND_RECORDING     0u

/* Creates a reader of `kind` and writes its nonzero handle to *reader. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_InitReader(ZAVIFILE_HANDLE *reader, uint8_t kind);
/* Closes the reader's recording and frees the reader. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_ReleaseReader(ZAVIFILE_HANDLE reader);

/* Open flags (second open argument). */
#define ZAVIFILE_OPEN_SCAN          1u  /* ignore the stored index, rebuild it by scanning */
#define ZAVIFILE_OPEN_REQUIRE_INDEX 2u  /* refuse (ZAVIFILE_ERR_INDEX) instead of scanning */
#define ZAVIFILE_OPEN_MEMORY        4u  /* first is a ZAVIFILE_MEMORY*, not a path */

/* A recording held in memory. The bytes stay owned by the caller and must
 * outlive the open recording. */
typedef struct ZAVIFILE_MEMORY {
    const uint8_t *data;
    uint32_t size;
} ZAVIFILE_MEMORY;

/* Opens a recording, closing the reader's previous one.
 *   first:  address of a NUL-terminated path (UTF-8), or of a ZAVIFILE_MEMORY
 *           with ZAVIFILE_OPEN_MEMORY;
 *   second: ZAVIFILE_OPEN_* flags;
 *   *result: the number of video frames, which is also the range of positions.
 * Reading starts forward, all frames, at position 0, without loop or search. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_OpenFile(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG first,
                                                     ZAVIFILE_ARG second, uint32_t *result);
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_CloseFile(ZAVIFILE_HANDLE reader);

/* Delivers the next packet in the current order and key-frame setting:
 * pointer and length of one whole packet, header included, owned by the reader
 * and valid until its next call on the same reader. *position receives the
 * position of the video frame the reader stands on (see below).
 *   0                     a packet to show (or an audio / extra-data packet);
 *   ZAVIFILE_DECODE_ONLY  a video frame to decode but not show: the frames from
 *                         the preceding key frame up to a target frame that is
 *                         not a key frame (after a position change, and before
 *                         every frame in backward reading);
 *   ZAVIFILE_END          nothing delivered (null, 0): the recording is over
 *                         in this order; it stays over until the position or
 *                         the order changes, or loop is on;
 *   other negatives       nothing delivered; reading should stop.
 * Forward reading of all frames delivers every packet in file order. Key-frame
 * reading (either order) and backward reading deliver video frames only. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetNextFrame(ZAVIFILE_HANDLE reader, const uint8_t **packet,
                                                         uint32_t *length, uint32_t *position);
/* 1 forward, 0 backward. Changing the order continues from the frame last
 * delivered: backward shows the frame before it, forward the frame after it. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetReadOrder(ZAVIFILE_HANDLE reader, uint8_t forward);
/* 1 key frames only, 0 all frames. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetReadKeyFrame(ZAVIFILE_HANDLE reader, uint8_t keyOnly);

/* Positions are video frame numbers: 0 is the first video frame of the
 * recording, the open result is one past the last. Setting a position makes
 * that frame the next one shown, in either order, preceded by decode-only
 * frames from its key frame; reading key frames only, the key frame at or
 * before it is the next one shown. ZAVIFILE_ERR_POSITION above the frame
 * count; the frame count itself positions at the end. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetPosition(ZAVIFILE_HANDLE reader, uint32_t position);
/* Positions at a share of the recording's duration: 0.0 the first video
 * frame, 1.0 the last; the frame shown is the last one whose time stamp is at
 * or before start time + where x duration. Values outside 0..1 are clamped;
 * NaN is refused. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_Seek(ZAVIFILE_HANDLE reader, float where);
/* The position of the frame last delivered (the frame set to come next when
 * nothing was delivered since the last position change). */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetPosition(ZAVIFILE_HANDLE reader, uint32_t *position);

/* File information, five 32-bit values. */
#define ZAVIFILE_INFO_DURATION      0u  /* end time - start time, ms */
#define ZAVIFILE_INFO_START_TIME    1u  /* time stamp of the first packet, ms */
#define ZAVIFILE_INFO_END_TIME      2u  /* time stamp of the last packet, ms */
#define ZAVIFILE_INFO_FRAME_COUNT   3u  /* video frames */
#define ZAVIFILE_INFO_KEY_COUNT     4u  /* video key frames */
#define ZAVIFILE_INFO_VALUES        5u
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetFileInfo(ZAVIFILE_HANDLE reader,
                                                        uint32_t record[ZAVIFILE_INFO_VALUES]);

/* Time line: one entry per key frame, in file order. */
typedef struct ZAVIFILE_TIMELINE_ENTRY {
    uint32_t timeStamp;         /* the key frame's time stamp, ms */
    uint32_t position;          /* its position, for ZAVI_Read_SetPosition */
} ZAVIFILE_TIMELINE_ENTRY;
/* entries: address of an array of ZAVIFILE_TIMELINE_ENTRY (may be 0);
 * count: address of a uint32_t holding the array's capacity on entry and the
 * number of key frames of the recording on return. Fills min(capacity, key
 * frames) entries. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetTimeLine(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG entries,
                                                        ZAVIFILE_ARG count);

/* Fast search: from now on only the groups of pictures (a key frame and the
 * frames up to the next one) that start within [from, to] (time stamps, ms)
 * and hold a motion/alarm packet of the wanted kind are read, in either order
 * and with loop; reading goes to the first of them in the reading order.
 * what: ZAVIFILE_SEARCH_* bits; 0 ends the search (from and to are then not
 * used). ZAVIFILE_ERR_NOT_FOUND when nothing matches (reading is unchanged). */
#define ZAVIFILE_SEARCH_MOTION      1u  /* some grid cell shows motion */
#define ZAVIFILE_SEARCH_ALARM       2u  /* some rule is in alarm */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetFastSearch(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG from,
                                                          ZAVIFILE_ARG to, ZAVIFILE_ARG what);

/* Rules: the distinct rule packets (frame type 80, sub-type 80..95) of the
 * open recording in file order, then those given by ZAVI_Read_SetRule.
 * SetRule adds a whole rule packet to the open recording's list (the file is
 * not changed). First/Next copy a whole rule packet, header included:
 *   buffer: address of the caller's buffer (0 only asks for the length);
 *   length: address of a uint32_t, the buffer's size on entry, the packet's
 *           length on return.
 * A buffer that is too small gives ZAVIFILE_ERR_BUFFER; neither that nor a
 * length query moves on to the next rule. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetRule(ZAVIFILE_HANDLE reader, const uint8_t *packet,
                                                    int32_t length);
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetFirstRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                         ZAVIFILE_ARG length);
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetNextRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                        ZAVIFILE_ARG length);
/* ZAVI_Read_GetFirstRule under a second name, for a module that exports
 * ZAVI_Read_GetFirstRule itself and forwards to this one. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVIFile_GetFirstRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                        ZAVIFILE_ARG length);

/* 1: reading past the end (or, backward, the start) goes on from the other
 * end instead of giving ZAVIFILE_END. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetLoop(ZAVIFILE_HANDLE reader, uint8_t loop);

/* ---- Writer ------------------------------------------------------------- */

/* Creates (or truncates) the recording at `path` and writes its header.
 * createdUtc: the recording's start, seconds since 1970 (0 if unknown). */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Create(ZAVIFILE_HANDLE *writer, const char *path,
                                                    uint32_t createdUtc);
/* Appends one whole packet (ZAVIFILE_ERR_PACKET otherwise). Once the packet
 * has reached the disk, a reader finds it even if the writer never closes. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Packet(ZAVIFILE_HANDLE writer, const uint8_t *packet,
                                                    int32_t length);
/* Hands everything appended so far to the operating system. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Flush(ZAVIFILE_HANDLE writer);
/* Writes the index and closes the file; the handle is freed even on failure. */
ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Close(ZAVIFILE_HANDLE writer);

#endif /* ZAVIFILESDK_H */

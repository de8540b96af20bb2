/* ZAVIVirtualSound: the test and tool interface of the headless (virtual)
 * sound backend, exported by the player library next to the ZAVI_Play_*
 * functions. It applies when the library runs with ZAVI_PLATFORM=virtual.
 *
 * The virtual sound device plays each secondary buffer by a clock: in the
 * default automatic mode the clock is real time; in manual mode it stands
 * still until ZAVIVirtual_SoundAdvance moves it, so a test decides exactly
 * how many bytes have been played. Every byte a buffer plays is kept, in
 * order, in a history that ZAVIVirtual_SoundRead drains. Buffers are found
 * by the window their device was bound to (SetCooperativeLevel); for a
 * window that had several, the most recently created one answers.
 *
 * Chosen device calls can be made to fail (fault injection) to walk the
 * library's failure paths.
 *
 * The header compiles as C and as C++.
 */
#ifndef ZAVIVIRTUALSOUND_H
#define ZAVIVIRTUALSOUND_H

#include "ZAVIPlaySDK.h"

/* Calls that can be made to fail. */
#define ZAVIVIRTUAL_SOUND_FAULT_CREATE             0  /* DirectSoundCreate: no driver */
#define ZAVIVIRTUAL_SOUND_FAULT_COOPERATIVE_LEVEL  1  /* SetCooperativeLevel */
#define ZAVIVIRTUAL_SOUND_FAULT_CREATE_BUFFER      2  /* CreateSoundBuffer: out of memory */
#define ZAVIVIRTUAL_SOUND_FAULT_LOCK               3  /* buffer Lock: buffer lost */
#define ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT         4  /* buffer Lock: first piece half as long as asked */
#define ZAVIVIRTUAL_SOUND_FAULT_GET_POSITION       5  /* buffer GetCurrentPosition */
#define ZAVIVIRTUAL_SOUND_FAULT_STALE_WRITE_CURSOR 6  /* buffer GetCurrentPosition reports write cursor 0 */
#define ZAVIVIRTUAL_SOUND_FAULT_SET_VOLUME         7  /* buffer SetVolume */
#define ZAVIVIRTUAL_SOUND_FAULT_GET_VOLUME         8  /* buffer GetVolume */
#define ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_CREATE     9  /* DirectSoundCaptureCreate: no driver */
#define ZAVIVIRTUAL_SOUND_FAULT_CAPTURE_BUFFER    10  /* CreateCaptureBuffer: out of memory */
#define ZAVIVIRTUAL_SOUND_FAULT_COUNT             11

/* Fault count meaning "every call until cleared". */
#define ZAVIVIRTUAL_SOUND_FAULT_ALWAYS 0xFFFFFFFFu

/* What a window's sound buffer looks like now. */
typedef struct ZAVIVIRTUAL_SOUND_STATE {
    uint32_t buffersCreated;  /* sound buffers created for this window so far */
    uint8_t  exists;          /* 1 while the window has a live buffer; the fields below describe it */
    uint8_t  playing;
    uint8_t  looping;
    uint8_t  reserved;
    uint16_t channels;
    uint16_t bitsPerSample;
    uint32_t sampleRate;
    uint32_t bufferBytes;
    uint32_t playCursor;
    uint32_t writeCursor;
    int32_t  volume;          /* hundredths of a decibel of attenuation */
    uint32_t restores;        /* Restore calls */
    uint64_t bytesPlayed;     /* since the buffer was created */
    uint64_t bytesUnread;     /* played bytes waiting for ZAVIVirtual_SoundRead */
    uint64_t bytesLost;       /* played bytes dropped from a full history unread */
} ZAVIVIRTUAL_SOUND_STATE;

/* Back to the start-up settings: automatic clock, no faults, a silent
 * microphone. Buffers and their histories stay. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundReset(void);

/* 1: manual clock (stands still until advanced); 0: real time. The clock
 * runs on continuously across a switch. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundSetManualClock(uint8_t manual);

/* Moves the manual clock on; no effect on the automatic clock. */
ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundAdvance(uint32_t milliseconds);

/* What the virtual microphone records from now on: the `bytes` PCM bytes at
 * `pcm` (copied) over and over, every capture buffer from the signal's first
 * byte on, so the n-th byte a buffer captures is pcm[n % bytes]. Give whole
 * samples of the capture format. Null or 0 bytes: silence (the default). */
ZAVI_API void ZAVI_CALL ZAVIVirtual_SoundSetMicrophone(const uint8_t *pcm, uint32_t bytes);

/* The next `count` calls of kind `fault` fail (ZAVIVIRTUAL_SOUND_FAULT_ALWAYS:
 * all of them; 0 clears the fault). Returns 0, or -1 for an unknown fault. */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_SoundInjectFault(uint32_t fault, uint32_t count);

/* Fills *state for the window's buffer. Returns 0, or -1 for a null state or
 * a window no buffer was ever created for. */
ZAVI_API int32_t ZAVI_CALL ZAVIVirtual_SoundGetState(ZAVI_HWND window, ZAVIVIRTUAL_SOUND_STATE *state);

/* Moves up to `capacity` of the oldest unread played bytes of the window's
 * live buffer to `data`; returns how many. */
ZAVI_API uint32_t ZAVI_CALL ZAVIVirtual_SoundRead(ZAVI_HWND window, uint8_t *data, uint32_t capacity);

#endif /* ZAVIVIRTUALSOUND_H */

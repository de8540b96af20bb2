// The looping capture buffer that every backend shares: the ring memory,
// the capture cursor, Start/Stop, Lock/Unlock for reading, and the
// notification positions whose events are set as the capture cursor passes
// them. What moves the cursor is the backend's: it calls Record with the
// bytes its device has captured.
#pragma once

#include <vector>

#include "platform/sound.h"
#include "platform/common/sound_ring_memory.h"

namespace zavi::sound {

class CaptureRing : public CaptureBuffer {
public:
    HResult Start(uint32_t flags) override;
    HResult Stop() override;
    HResult GetCurrentPosition(uint32_t *captureCursor, uint32_t *readCursor) override;
    HResult Lock(uint32_t offset, uint32_t bytes, const void **part1, uint32_t *bytes1, const void **part2,
                 uint32_t *bytes2) override;
    HResult Unlock(const void *part1, uint32_t bytes1, const void *part2, uint32_t bytes2) override;
    HResult SetNotificationPositions(uint32_t count, const PositionNotify *positions) override;

protected:
    // `description` must have passed CheckCaptureBufferDescription.
    explicit CaptureRing(const CaptureBufferDescription &description);

    // Hook run under the section at the start of every buffer call: a backend
    // whose cursor moves with a clock catches up here.
    virtual void CatchUp() {}

    // Stores `bytes` captured at the capture cursor (`data` null: silence),
    // moves the cursor (wrapping when looping, else stopping at the end) and
    // sets the event of every notification position it passes. Caller holds
    // section_.
    void Record(const uint8_t *data, uint64_t bytes);

    const WaveFormat &Format() const { return format_; }
    bool IsCapturing() const { return capturing_; }

    kernel::CriticalSection section_;

private:
    void Notify(uint32_t from, uint32_t to) const;

    const WaveFormat format_;
    RingMemory memory_;
    std::vector<PositionNotify> positions_;
    uint32_t captureCursor_ = 0;
    bool capturing_ = false;
    bool looping_ = false;
};

} // namespace zavi::sound

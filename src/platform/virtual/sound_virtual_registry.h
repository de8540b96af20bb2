// The live virtual sound buffers, found by the window their device was bound
// to; for a window with several, the most recently created one.
#pragma once

#include <cstdint>

#include "ZAVIVirtualSound.h"

namespace zavi::sound::virtual_backend {

class VirtualSoundBuffer;

void RegisterBuffer(uintptr_t window, VirtualSoundBuffer *buffer);
void UnregisterBuffer(uintptr_t window, VirtualSoundBuffer *buffer);

// False for a window no buffer was ever created for.
bool DescribeWindow(uintptr_t window, ZAVIVIRTUAL_SOUND_STATE &state);
uint32_t ReadWindow(uintptr_t window, uint8_t *data, uint32_t capacity);

} // namespace zavi::sound::virtual_backend

// The draw and status callbacks the stress players register: they only
// count, as callbacks run on the library's threads with its locks held.
#pragma once

#include "ZAVIPlaySDK.h"

#include <cstdint>

namespace zavi::stress {

void ZAVI_CALL countDraw(uintptr_t deviceContext, int32_t width, int32_t height, uintptr_t user1, uintptr_t user2);
void ZAVI_CALL countStatus(int32_t status, uint32_t position, uintptr_t user1, uintptr_t user2);

uint64_t drawsCounted();
uint64_t statusesCounted();

} // namespace zavi::stress

#include "extensions.h"

namespace zaviplay {

int32_t EnableHiddenDecodePolicy(ZAVI_HANDLE, uint32_t) { return ZAVI_ERR_FAIL; }
int32_t EnableLipSync(ZAVI_HANDLE) { return ZAVI_ERR_FAIL; }
int32_t ReversePlay(ZAVI_HANDLE, uint32_t) { return ZAVI_ERR_FAIL; }
int32_t FrameBackExact(ZAVI_HANDLE) { return ZAVI_ERR_FAIL; }

} // namespace zaviplay

#include "extensions.h"

namespace zaviplay {

int32_t EnableHiddenDecodePolicy(ZAVI_HANDLE, uint32_t) { return ZAVI_ERR_FAIL; }

} // namespace zaviplay

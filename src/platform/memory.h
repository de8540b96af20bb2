// Memory of the process: freed memory handed back to the operating system.
#pragma once

namespace zavi::platform {

// Gives the pages of freed memory back to the system where the allocator
// would keep them for later allocations. Called once a player, with its
// large buffers, is gone.
void ReturnFreeMemory();

} // namespace zavi::platform

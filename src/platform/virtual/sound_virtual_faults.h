// Fault injection of the virtual sound backend: each kind of call
// (ZAVIVIRTUAL_SOUND_FAULT_*) has a count of coming calls that fail.
#pragma once

#include <cstdint>

namespace zavi::sound::virtual_backend {

// Returns false for an unknown fault kind.
bool InjectFault(uint32_t fault, uint32_t count);
void ClearFaults();

// True when this call of kind `fault` is to fail; uses up one count.
bool TakeFault(uint32_t fault);

} // namespace zavi::sound::virtual_backend

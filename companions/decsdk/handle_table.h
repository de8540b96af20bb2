// The module's record of open handles. A handle is the address of its
// decoder or encoder object; every call looks it up here first, so a stale,
// foreign or wrong-family handle is refused instead of dereferenced.
#pragma once

#include "ZAVIDecSDK.h"

#include <cstdint>

namespace zavidec {

enum class Family : uint8_t { VideoDecoder, AudioDecoder, AudioEncoder };

// Registers `object` and returns its handle.
ZAVIDEC_HANDLE registerHandle(void *object, Family family);
// The object of an open handle of that family, or null.
void *findHandle(ZAVIDEC_HANDLE handle, Family family);
// Forgets the handle; returns its object, or null when it was not open.
void *unregisterHandle(ZAVIDEC_HANDLE handle, Family family);
int32_t openHandleCount();

// Init failures requested through ZAVIDec_TestFailInit.
void setInitFailures(uint32_t mask);
bool initFailureRequested(uint32_t bit);

} // namespace zavidec

// The rule every handle-taking export follows: a zero handle fails with -1 at
// once; any other handle is taken as the address of its object, unchecked,
// and the call is forwarded with its result returned unchanged.
#pragma once

#include <cstdint>
#include <new>

#include "ZAVIPlaySDK.h"

namespace zavi::api {

template <typename Object, typename Call>
int32_t Forward(ZAVI_HANDLE handle, Call &&call)
{
    if (handle == 0) return ZAVI_ERR_FAIL;
    return call(*reinterpret_cast<Object *>(handle));
}

// Create functions: allocate, construct, initialise; only a fully initialised
// object's address reaches the caller's slot.
template <typename Object, typename Argument>
int32_t Create(Argument argument, ZAVI_HANDLE *outHandle)
{
    Object *object = new (std::nothrow) Object();
    if (object == nullptr) return ZAVI_ERR_FAIL;
    if (object->Initialise(argument) != ZAVI_OK) {
        delete object;
        return ZAVI_ERR_FAIL;
    }
    *outHandle = reinterpret_cast<ZAVI_HANDLE>(object);
    return ZAVI_OK;
}

template <typename Object>
int32_t Release(ZAVI_HANDLE handle)
{
    if (handle != 0) delete reinterpret_cast<Object *>(handle);
    return ZAVI_OK;
}

} // namespace zavi::api

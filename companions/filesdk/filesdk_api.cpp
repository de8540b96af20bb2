// The exported C interface: finds the reader or writer of a handle and hands
// the call to it. Pass-through arguments become the pointers they carry here.
#include "ZAVIFileSDK.h"

#include <new>
#include <utility>

#include "handle_table.h"
#include "reader.h"
#include "writer.h"

namespace zavifile {

ZAVIFILE_HANDLE NextHandle()
{
    static std::atomic<ZAVIFILE_HANDLE> next{1};
    ZAVIFILE_HANDLE handle = next.fetch_add(1);
    while (handle == 0) handle = next.fetch_add(1);
    return handle;
}

namespace {

HandleTable<Reader> &Readers()
{
    static HandleTable<Reader> table;
    return table;
}

HandleTable<Writer> &Writers()
{
    static HandleTable<Writer> table;
    return table;
}

// Runs `call`, turning a failed allocation (an index of a huge recording)
// into a status: no exception leaves the C interface.
template <typename Call>
int32_t Guarded(Call &&call)
{
    try {
        return call();
    } catch (const std::bad_alloc &) {
        return ZAVIFILE_ERR_NO_MEMORY;
    }
}

// Runs `call` on the object of `handle` in `table`, or answers ZAVIFILE_ERR_HANDLE.
template <typename Object, typename Call>
int32_t WithObject(HandleTable<Object> &table, ZAVIFILE_HANDLE handle, Call &&call)
{
    Object *object = table.Find(handle);
    return object == nullptr ? ZAVIFILE_ERR_HANDLE : Guarded([&] { return call(*object); });
}

template <typename Call>
int32_t WithReader(ZAVIFILE_HANDLE handle, Call &&call)
{
    return WithObject(Readers(), handle, std::forward<Call>(call));
}

template <typename Call>
int32_t WithWriter(ZAVIFILE_HANDLE handle, Call &&call)
{
    return WithObject(Writers(), handle, std::forward<Call>(call));
}

bool Fits32(ZAVIFILE_ARG value) { return static_cast<uint32_t>(value) == value; }

template <typename T>
T *Pointer(ZAVIFILE_ARG value)
{
    return reinterpret_cast<T *>(value);
}

int32_t FirstRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer, ZAVIFILE_ARG length)
{
    return WithReader(reader, [&](Reader &r) { return r.GetFirstRule(Pointer<uint8_t>(buffer), Pointer<uint32_t>(length)); });
}

} // namespace
} // namespace zavifile

using zavifile::Reader;
using zavifile::Writer;
using zavifile::WithReader;
using zavifile::WithWriter;
using zavifile::Pointer;

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_InitReader(ZAVIFILE_HANDLE *reader, uint8_t kind)
{
    if (reader == nullptr) return ZAVIFILE_ERR_ARG;
    if (kind != ZAVIFILE_KIND_RECORDING) return ZAVIFILE_ERR_KIND;
    return zavifile::Guarded([&] {
        *reader = zavifile::Readers().Add(std::make_unique<Reader>());
        return ZAVIFILE_OK;
    });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_ReleaseReader(ZAVIFILE_HANDLE reader)
{
    return zavifile::Readers().Remove(reader) ? ZAVIFILE_OK : ZAVIFILE_ERR_HANDLE;
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_OpenFile(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG first,
                                                     ZAVIFILE_ARG second, uint32_t *result)
{
    return WithReader(reader, [&](Reader &r) { return r.Open(first, second, result); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_CloseFile(ZAVIFILE_HANDLE reader)
{
    return WithReader(reader, [](Reader &r) {
        r.Close();
        return ZAVIFILE_OK;
    });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetNextFrame(ZAVIFILE_HANDLE reader, const uint8_t **packet,
                                                         uint32_t *length, uint32_t *position)
{
    return WithReader(reader, [&](Reader &r) { return r.NextFrame(packet, length, position); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetReadOrder(ZAVIFILE_HANDLE reader, uint8_t forward)
{
    return WithReader(reader, [&](Reader &r) { return r.SetForward(forward != 0); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetReadKeyFrame(ZAVIFILE_HANDLE reader, uint8_t keyOnly)
{
    return WithReader(reader, [&](Reader &r) { return r.SetKeyOnly(keyOnly != 0); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetPosition(ZAVIFILE_HANDLE reader, uint32_t position)
{
    return WithReader(reader, [&](Reader &r) { return r.SetPosition(position); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_Seek(ZAVIFILE_HANDLE reader, float where)
{
    return WithReader(reader, [&](Reader &r) { return r.Seek(where); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetPosition(ZAVIFILE_HANDLE reader, uint32_t *position)
{
    return WithReader(reader, [&](Reader &r) { return r.GetPosition(position); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetFileInfo(ZAVIFILE_HANDLE reader, uint32_t *record)
{
    return WithReader(reader, [&](Reader &r) { return r.GetFileInfo(record); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetTimeLine(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG entries,
                                                        ZAVIFILE_ARG count)
{
    return WithReader(reader, [&](Reader &r) {
        return r.GetTimeLine(Pointer<ZAVIFILE_TIMELINE_ENTRY>(entries), Pointer<uint32_t>(count));
    });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetFastSearch(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG from,
                                                          ZAVIFILE_ARG to, ZAVIFILE_ARG what)
{
    if (!zavifile::Fits32(from) || !zavifile::Fits32(to) || !zavifile::Fits32(what)) return ZAVIFILE_ERR_ARG;
    return WithReader(reader, [&](Reader &r) {
        return r.SetFastSearch(static_cast<uint32_t>(from), static_cast<uint32_t>(to), static_cast<uint32_t>(what));
    });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetRule(ZAVIFILE_HANDLE reader, const uint8_t *packet, int32_t length)
{
    return WithReader(reader, [&](Reader &r) { return r.SetRule(packet, length); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetFirstRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                         ZAVIFILE_ARG length)
{
    return zavifile::FirstRule(reader, buffer, length);
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVIFile_GetFirstRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                        ZAVIFILE_ARG length)
{
    return zavifile::FirstRule(reader, buffer, length);
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_GetNextRule(ZAVIFILE_HANDLE reader, ZAVIFILE_ARG buffer,
                                                        ZAVIFILE_ARG length)
{
    return WithReader(reader, [&](Reader &r) { return r.GetNextRule(Pointer<uint8_t>(buffer), Pointer<uint32_t>(length)); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Read_SetLoop(ZAVIFILE_HANDLE reader, uint8_t loop)
{
    return WithReader(reader, [&](Reader &r) { return r.SetLoop(loop != 0); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Create(ZAVIFILE_HANDLE *writer, const char *path, uint32_t createdUtc)
{
    if (writer == nullptr) return ZAVIFILE_ERR_ARG;
    return zavifile::Guarded([&] {
        std::unique_ptr<Writer> created;
        const int32_t status = Writer::Create(path, createdUtc, created);
        if (status == ZAVIFILE_OK) *writer = zavifile::Writers().Add(std::move(created));
        return status;
    });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Packet(ZAVIFILE_HANDLE writer, const uint8_t *packet, int32_t length)
{
    return WithWriter(writer, [&](Writer &w) { return w.Append(packet, length); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Flush(ZAVIFILE_HANDLE writer)
{
    return WithWriter(writer, [](Writer &w) { return w.Flush(); });
}

ZAVIFILE_API int32_t ZAVIFILE_CALL ZAVI_Write_Close(ZAVIFILE_HANDLE writer)
{
    std::unique_ptr<Writer> closing = zavifile::Writers().Remove(writer);
    return closing ? zavifile::Guarded([&] { return closing->Close(); }) : ZAVIFILE_ERR_HANDLE;
}

#include "platform/win32/sound_win32_library.h"

#include <string>

#include "platform/win32/sound_win32_results.h"

namespace zavi::sound::win32_backend {

namespace {

constexpr wchar_t kLibraryFile[] = L"\\dsound.dll";

using PlaybackCreate = HRESULT(WINAPI *)(LPCGUID, LPDIRECTSOUND8 *, LPUNKNOWN);
using CaptureCreate = HRESULT(WINAPI *)(LPCGUID, LPDIRECTSOUNDCAPTURE8 *, LPUNKNOWN);

struct EntryPoints {
    PlaybackCreate createPlayback = nullptr;
    CaptureCreate createCapture = nullptr;
};

// From the system directory only, so that a dsound.dll lying beside the
// application is never the one loaded.
HMODULE LoadFromSystemDirectory()
{
    const UINT length = GetSystemDirectoryW(nullptr, 0);
    if (length == 0) return nullptr;
    std::wstring path(length, L'\0');
    const UINT written = GetSystemDirectoryW(path.data(), length);
    if (written == 0 || written >= length) return nullptr;
    path.resize(written);
    return LoadLibraryW((path + kLibraryFile).c_str());
}

template <typename Function>
Function Find(HMODULE library, const char *name)
{
    // GetProcAddress answers with a generic function pointer; going through
    // void (*)() marks the cast to the real signature as intended.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// The library stays loaded for the life of the process: its objects may live
// as long.
EntryPoints Load()
{
    EntryPoints entries;
    const HMODULE library = LoadFromSystemDirectory();
    if (library == nullptr) return entries;
    entries.createPlayback = Find<PlaybackCreate>(library, "DirectSoundCreate8");
    entries.createCapture = Find<CaptureCreate>(library, "DirectSoundCaptureCreate8");
    return entries;
}

const EntryPoints &LoadedEntryPoints()
{
    static const EntryPoints entries = Load();
    return entries;
}

// COM on the creating thread for the length of a creation: DirectSound finds
// the system's sound devices through COM. A thread already in a
// single-threaded apartment keeps it and is not uninitialised here.
class CreationApartment {
public:
    CreationApartment() : joined_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~CreationApartment()
    {
        if (joined_) CoUninitialize();
    }
    CreationApartment(const CreationApartment &) = delete;
    CreationApartment &operator=(const CreationApartment &) = delete;

private:
    const bool joined_;
};

template <typename Interface>
HResult Open(HRESULT(WINAPI *create)(LPCGUID, Interface **, LPUNKNOWN), ComReference<Interface> *device)
{
    if (create == nullptr) return kErrNoDriver;
    CreationApartment apartment;
    return Result(create(nullptr, device->Receive(), nullptr));
}

} // namespace

HResult OpenDirectSound(ComReference<IDirectSound8> *device)
{
    return Open(LoadedEntryPoints().createPlayback, device);
}

HResult OpenDirectSoundCapture(ComReference<IDirectSoundCapture8> *device)
{
    return Open(LoadedEntryPoints().createCapture, device);
}

} // namespace zavi::sound::win32_backend

#include "platform/win32/display_ddraw_library.h"

#include <string>

namespace zavi::platform::win32_display {

namespace {

constexpr const wchar_t *kLibraryFile = L"\\ddraw.dll";
constexpr const char *kEnumerateExName = "DirectDrawEnumerateExA";
constexpr const char *kCreateExName = "DirectDrawCreateEx";

// GetProcAddress hands back a generic function pointer; going through the
// parameterless function type tells the compiler the cast is meant.
template <typename Call> Call EntryPoint(HMODULE library, const char *name)
{
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
}

// From the system directory only, so that a ddraw.dll lying beside the
// application is never the one loaded.
HMODULE LoadFromSystemDirectory()
{
    const UINT capacity = ::GetSystemDirectoryW(nullptr, 0);
    if (capacity == 0) return nullptr;
    std::wstring path(capacity, L'\0');
    const UINT written = ::GetSystemDirectoryW(path.data(), capacity);
    if (written == 0 || written >= capacity) return nullptr;
    path.resize(written);
    return ::LoadLibraryW((path + kLibraryFile).c_str());
}

DirectDrawEntryPoints Load()
{
    DirectDrawEntryPoints entryPoints;
    const HMODULE library = LoadFromSystemDirectory();
    if (library == nullptr) return entryPoints;
    entryPoints.enumerateEx = EntryPoint<LPDIRECTDRAWENUMERATEEXA>(library, kEnumerateExName);
    entryPoints.createEx = EntryPoint<DirectDrawCreateExCall>(library, kCreateExName);
    return entryPoints;
}

} // namespace

const DirectDrawEntryPoints &DirectDrawLibrary()
{
    static const DirectDrawEntryPoints entryPoints = Load();
    return entryPoints;
}

} // namespace zavi::platform::win32_display

#include "app/PngManager.h"

#include "framework/Assert.h"
#include "framework/FileStream.h"
#include "src/System/ProgramDirectory.h"

#include <memory>

namespace {

template <typename Entry>
Entry Lookup(HMODULE module, const char* name)
{
    return reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

std::unique_ptr<PngManager>& Held()
{
    static std::unique_ptr<PngManager> instance;
    return instance;
}

// A thread timer of no window: its WM_TIMER comes only when no other message is posted,
// that is once the burst of loads is over.
UINT_PTR g_releaseTimer = 0;

void CALLBACK ReleaseWhenIdle(HWND, UINT, UINT_PTR, DWORD)
{
    PngManager::Release();
}

}  // namespace

PngManager& PngManager::Instance()
{
    std::unique_ptr<PngManager>& instance = Held();
    if (!instance) {
        instance = std::make_unique<PngManager>(dali::ProgramDirectory() + "imgcodec.dll");
        g_releaseTimer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, ReleaseWhenIdle);
    }
    return *instance;
}

void PngManager::Release()
{
    if (g_releaseTimer) {
        KillTimer(nullptr, g_releaseTimer);
        g_releaseTimer = 0;
    }
    Held().reset();
}

PngManager::PngManager(const std::string& libraryPath)
    : m_hinst(LoadLibraryA(libraryPath.c_str()))
{
    // Without the codec no picture can be drawn: the program reports that like a
    // missing picture file, before it shows any window.
    if (!m_hinst)
        throw EFOpenError(libraryPath);
    m_read = Lookup<ReadPngEx>(m_hinst.Get(), "ReadPngEx");
    m_write = GetProcAddress(m_hinst.Get(), "WritePngEx");
    m_free = Lookup<FreePngData>(m_hinst.Get(), "FreePngData");
    m_allocate = GetProcAddress(m_hinst.Get(), "AllocatePngData");
    if (!m_read || !m_free)
        throw ECodecError(Format("%s is not a usable PNG codec", libraryPath.c_str()));
}

int PngManager::Read(PngData* data, PngReadCallback read, void* context) const
{
    ASSERT(m_hinst);
    return m_read(data, read, context);
}

void PngManager::Free(PngData* data) const
{
    ASSERT(m_hinst);
    m_free(data);
}

#include "tests/oc/OcFakes.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace fake {

namespace {

Device* g_device = nullptr;
std::vector<std::string> g_debugLines;
bool g_listening = false;

std::uint32_t Word(const std::uint8_t* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

BOOL WINAPI FakeIsWow64Process(HANDLE, PBOOL wow64)
{
    *wow64 = g_device->wow64;
    return TRUE;
}

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share,
                             LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                             HANDLE templateFile)
{
    Device& d = *g_device;
    d.path = path;
    d.access = access;
    d.share = share;
    d.securityNull = security == nullptr;
    d.disposition = disposition;
    d.flags = flags;
    d.templateNull = templateFile == nullptr;
    Note(std::string("CreateFileA ") + path);
    if (!d.present)
        return INVALID_HANDLE_VALUE;
    // A real handle, so that the channel may close it like the driver's.
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

BOOL WINAPI FakeDeviceIoControl(HANDLE, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                DWORD outSize, LPDWORD returned, LPOVERLAPPED overlapped)
{
    Device& d = *g_device;
    d.code = code;
    const auto* bytes = static_cast<const std::uint8_t*>(in);
    d.request.assign(bytes, bytes + inSize);
    d.replySize = outSize;
    d.overlappedNull = overlapped == nullptr;
    if (code != 0x00222404) {
        Note("DeviceIoControl " + Hex(code) + " in " + std::to_string(inSize) + " out " +
             std::to_string(outSize));
        return TRUE;
    }
    const std::uint8_t* block = bytes + 16;
    if (inSize == 20)
        block = reinterpret_cast<const std::uint8_t*>(static_cast<std::uintptr_t>(Word(bytes + 16)));
    d.argumentBlock.assign(block, block + 16);
    const DWORD first = Word(block + 4);
    const DWORD second = Word(block + 12);
    Note(std::string(reinterpret_cast<const char*>(bytes + 4), 4) + " " + std::to_string(first) +
         " " + std::to_string(second));
    const auto reg = d.registers.find(second);
    if (d.gone) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (d.failEvaluate || reg == d.registers.end()) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    auto* reply = static_cast<std::uint8_t*>(out);
    std::memset(reply, 0xA5, 16);  // header fields the channel must not read
    std::memcpy(reply + 16, &reg->second, 4);
    *returned = d.replyBytes;
    return TRUE;
}

LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C && record.NumberParameters >= 2 &&
        g_listening) {
        const auto* text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
        g_debugLines.emplace_back(text, record.ExceptionInformation[0] - 1);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

FakeNrAcpiState& Library()
{
    static FakeNrAcpiState* state = [] {
        const HMODULE library = GetModuleHandleA("NRACPI.DLL");
        const auto script = reinterpret_cast<FakeNrAcpiScriptFn>(reinterpret_cast<void (*)()>(
            library ? GetProcAddress(library, "FakeNrAcpiScript") : nullptr));
        if (script == nullptr)
            throw std::runtime_error("the fake NRACPI.DLL is not the one loaded");
        return script();
    }();
    return *state;
}

void ResetLibrary()
{
    std::memset(&Library(), 0, sizeof(FakeNrAcpiState));
}

void AddGroup(DWORD number, std::initializer_list<DWORD> ids)
{
    FakeNrAcpiState& s = Library();
    FakeNrAcpiGroup& group = s.groups[s.groupCount++];
    group.number = number;
    for (DWORD id : ids)
        group.entries[group.count++] = {id, TRUE};
}

void Unlist(DWORD number, DWORD id)
{
    FakeNrAcpiState& s = Library();
    for (int g = 0; g < s.groupCount; ++g) {
        FakeNrAcpiGroup& group = s.groups[g];
        if (group.number != number)
            continue;
        DWORD kept = 0;
        for (DWORD e = 0; e < group.count; ++e)
            if (group.entries[e].id != id)
                group.entries[kept++] = group.entries[e];
        group.count = kept;
    }
}

void SetDescriptionUnreadable(DWORD number, int entry)
{
    FakeNrAcpiState& s = Library();
    for (int g = 0; g < s.groupCount; ++g)
        if (s.groups[g].number == number)
            s.groups[g].entries[entry].infoReadable = FALSE;
}

void SetItem(DWORD id, DWORD value, DWORD readResult)
{
    FakeNrAcpiState& s = Library();
    for (int i = 0; i < s.itemCount; ++i)
        if (s.items[i].id == id) {
            s.items[i] = {id, value, readResult};
            return;
        }
    s.items[s.itemCount++] = {id, value, readResult};
}

void SetItemUnreadable(DWORD id)
{
    SetItem(id, 0, 0);
}

void Note(const std::string& line)
{
    FakeNrAcpiState& s = Library();
    const int room = kFakeLogSize - s.logLength - 2;
    if (static_cast<int>(line.size()) < room) {
        std::memcpy(s.log + s.logLength, line.data(), line.size());
        s.logLength += static_cast<int>(line.size());
        s.log[s.logLength++] = '\n';
        s.log[s.logLength] = '\0';
    }
}

std::vector<std::string> Calls()
{
    std::vector<std::string> calls;
    std::istringstream log(std::string(Library().log, Library().logLength));
    for (std::string line; std::getline(log, line);)
        calls.push_back(line);
    return calls;
}

std::vector<std::string> CallsStartingWith(std::initializer_list<const char*> prefixes)
{
    std::vector<std::string> kept;
    for (const std::string& call : Calls())
        for (const char* prefix : prefixes)
            if (call.rfind(prefix, 0) == 0) {
                kept.push_back(call);
                break;
            }
    return kept;
}

void SetUpFeatureItems(DWORD feature, DWORD sensorCount, DWORD sensorMask)
{
    AddGroup(0x11, {0x1103001C, 0x1103001D, 0x1103001E, 0x1103001F});
    SetItem(0x1103001D, feature);
    SetItem(0x1103001E, sensorCount);
    SetItem(0x1103001F, sensorMask);
}

ScopedDevice::ScopedDevice() : m_previousDevice(g_device)
{
    g_device = &m_device;
    m_previous = SetAcpiDeviceCalls({FakeIsWow64Process, FakeCreateFile, FakeDeviceIoControl});
}

void ScopedDevice::RemoveWow64Entry()
{
    SetAcpiDeviceCalls({nullptr, FakeCreateFile, FakeDeviceIoControl});
}

ScopedDevice::~ScopedDevice()
{
    SetAcpiDeviceCalls(m_previous);
    g_device = m_previousDevice;
}

DebugOutput::DebugOutput()
{
    g_debugLines.clear();
    g_listening = true;
    m_handler = AddVectoredExceptionHandler(1, CatchDebugString);
}

DebugOutput::~DebugOutput()
{
    RemoveVectoredExceptionHandler(m_handler);
    g_listening = false;
}

const std::vector<std::string>& DebugOutput::Lines() const
{
    return g_debugLines;
}

}  // namespace fake

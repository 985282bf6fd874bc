// Drives a running pellon.exe from outside, as another process would, and prints what
// it finds. Exit status 0 when the step succeeded, 1 when it did not, 2 on bad usage.
//   find CLASS TITLE             "VISIBLE ICONIC X Y W H" of the window, or exit 1
//   count CLASS TITLE            how many top-level windows have that class and title
//   send CLASS TITLE MSG WPARAM  SendMessageA (lParam 0); prints the result
//   post CLASS TITLE MSG WPARAM  PostMessageA (lParam 0)
//   broadcast NAME WPARAM        posts the registered message NAME to every top window
//   owned CLASS TITLE            "CLASS VISIBLE ICONIC X Y W H" of each window it owns
//   msgbox TITLE                 the texts of the message box captioned TITLE
//   press TITLE                  ends the message box captioned TITLE with its button
//   foreground                   "CLASS|TITLE" of the foreground window
//   mutex NAME                   1 when a named mutex exists, else 0
//   memory CLASS TITLE           "WORKING_SET_KB WINDOWS" of the process owning the window
//   repeat CLASS TITLE MSG WPARAM COUNT   sends the message COUNT times; exit 1 when one
//                                goes unanswered or the window goes
//   hint                         the text of the shown tooltip, in UTF-8, or exit 1
//   textmask FACE HEIGHT WEIGHT TEXT   TEXT (UTF-8) drawn in that font: its ink as rows
//                                of '#' and '.', cut to the ink's box (a glyph pixel is
//                                ink when at least half covered)
//   fuzz SEED COUNT [FROM]       COUNT random messages to the running pellon.exe (see Fuzz);
//                                FROM replays only those from that one on
#include <windows.h>

#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <random>
#include <cstdlib>
#include <string>

namespace {

unsigned long Number(const char* text)
{
    return std::strtoul(text, nullptr, 0);
}

HWND Find(const char* cls, const char* title)
{
    return FindWindowA(*cls ? cls : nullptr, *title ? title : nullptr);
}

void PrintWindow(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%d %d %ld %ld %ld %ld\n", IsWindowVisible(window) ? 1 : 0, IsIconic(window) ? 1 : 0, r.left, r.top,
                r.right - r.left, r.bottom - r.top);
}

HWND FindMessageBox(const char* title)
{
    return FindWindowA("#32770", title);
}

BOOL CALLBACK PrintStatic(HWND child, LPARAM)
{
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        char text[1024] = {};
        if (GetWindowTextA(child, text, sizeof text) > 0)
            std::printf("%s\n", text);
    }
    return TRUE;
}

struct OwnedSearch {
    HWND owner;
    int found;
};

BOOL CALLBACK PrintOwned(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    if (GetWindow(window, GW_OWNER) == search->owner) {
        char cls[64] = {};
        GetClassNameA(window, cls, sizeof cls);
        std::printf("%s ", cls);
        PrintWindow(window);
        ++search->found;
    }
    return TRUE;
}

struct ProcessWindows {
    DWORD process;
    int count;
};

BOOL CALLBACK CountProcessWindows(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process)
        ++search->count;
    return TRUE;
}

// What the process owning the window holds that a leak would grow: its working set and
// its top-level windows. Wine answers no handle or GDI counts for another process.
bool Holdings(HWND window, size_t* workingSetKb, int* windows)
{
    ProcessWindows search{0, 0};
    GetWindowThreadProcessId(window, &search.process);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, search.process);
    if (!process)
        return false;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    const bool ok = GetProcessMemoryInfo(process, &counters, sizeof counters) != FALSE;
    CloseHandle(process);
    EnumWindows(CountProcessWindows, reinterpret_cast<LPARAM>(&search));
    *workingSetKb = counters.WorkingSetSize / 1024;
    *windows = search.count;
    return ok;
}

bool Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result) != 0;
}

bool WaitVisible(HWND window, bool visible)
{
    for (int i = 0; i < 100; ++i) {
        if ((IsWindowVisible(window) != FALSE) == visible)
            return true;
        Sleep(20);
    }
    return false;
}

// Random messages of every kind another process may send, from a seed that replays them.
// Only the commands with 85 in wParam's low byte, an exact SC_CLOSE and the resume
// broadcasts may act: after every other message the main window is as it was, and the
// program is still there. Prints the resumes sent, so the caller can count the writes.
int Fuzz(unsigned seed, long count, long from)
{
    HWND main = FindWindowA("TMainForm", "Pellon");
    HWND app = FindWindowA("TApplication", "Pellon");
    const UINT broadcast = RegisterWindowMessageA("WM_NORVANE_BROADCAST_MESSAGE");
    if (!main || !app || !broadcast)
        return 2;
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    auto anyParam = [&]() -> uintptr_t {
        // Pointer-wide values, small numbers and the tag's neighbours alike.
        switch (below(4)) {
        case 0: return below(256);
        case 1: return static_cast<uintptr_t>((static_cast<uint64_t>(random()) << 32) | random());
        default: return random();
        }
    };
    auto untagged = [&]() {
        uintptr_t w = anyParam();
        return (w & 0xFF) == 85 ? w ^ 1 : w;
    };
    // The last messages, printed with a failure: a posted one may act late.
    struct Sent {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool post;
    };
    Sent last[8] = {};
    auto history = [&](long i) {
        for (long k = i > 7 ? i - 7 : 0; k < i; ++k) {
            const Sent& m = last[k % 8];
            std::printf("  %ld: %s %u, 0x%llx, 0x%llx\n", k, m.post ? "posted" : "sent", m.message,
                        static_cast<unsigned long long>(m.wParam), static_cast<unsigned long long>(m.lParam));
        }
    };
    bool visible = IsWindowVisible(main) != FALSE;
    long resumes = 0;
    size_t startKb = 0, kb = 0;
    int startWindows = 0, windows = 0;
    for (long i = 0; i < count; ++i) {
        if (i == from + (count - from) / 10 && !Holdings(main, &startKb, &startWindows))
            return 1;
        UINT message = 0;
        WPARAM wParam = 0;
        const LPARAM lParam = static_cast<LPARAM>(anyParam());
        HWND target = main;
        bool post = false;
        bool acts = false;
        const uint32_t kind = below(100);
        if (kind < 25) {  // a command without the tag, or a number no command uses
            message = WM_USER + below(7);
            wParam = untagged();
        } else if (kind < 30) {  // a command that acts; never the close
            static const UINT acting[] = {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_USER + 6};
            message = acting[below(4)];
            wParam = (anyParam() & ~static_cast<uintptr_t>(0xFF)) | 85;
            acts = true;
        } else if (kind < 40) {  // the broadcast, seen by the loop
            message = broadcast;
            wParam = anyParam();
            target = app;
            post = true;
        } else if (kind < 48) {  // a system command to the taskbar's window
            message = WM_SYSCOMMAND;
            // A posted close acts when the loop gets to it, after any message sent
            // meanwhile: only a shown window tells when it has acted.
            acts = below(8) == 0 && visible;
            // Below 0xF000 the system has no command; 0xF061 to 0xF06F would close.
            wParam = acts ? SC_CLOSE : below(0xF000);
            target = app;
            post = true;
        } else if (kind < 60) {  // power broadcasts, resumes among them
            static const WPARAM events[] = {4, 6, 7, 10, 18, 0x8013};
            message = WM_POWERBROADCAST;
            wParam = below(3) ? events[below(6)] : anyParam();
            if ((wParam == 6 || wParam == 7 || wParam == 18) && i >= from)
                ++resumes;
        } else {  // anything in the private range, to either window
            message = WM_USER + 7 + below(0x7BF9);
            wParam = anyParam();
            target = below(2) ? main : app;
            post = below(4) == 0;
        }

        if (i < from)
            continue;
        last[i % 8] = {message, wParam, lParam, post};
        const bool delivered = post ? PostMessageA(target, message, wParam, lParam) != FALSE
                                    : Deliver(target, message, wParam, lParam);
        if (!delivered || !IsWindow(main)) {
            std::printf("message %ld (%u, 0x%llx, 0x%llx): %s\n", i, message,
                        static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam),
                        IsWindow(main) ? "no answer" : "the program ended");
            history(i);
            return 1;
        }
        if (acts) {
            if (message == WM_USER + 1) {
                // The system hides and shows the main window with its minimised owner,
                // in its own time: restore it and take the state it settles in.
                Deliver(app, WM_SYSCOMMAND, SC_RESTORE, 0);
                for (int k = 0; k < 100 && IsIconic(app); ++k)
                    Sleep(20);
                Sleep(200);
                visible = IsWindowVisible(main) != FALSE;
            } else if (message == WM_USER + 2 || message == WM_USER + 3) {
                visible = true;
            } else if (message == WM_SYSCOMMAND) {
                visible = false;
            }
            if (!WaitVisible(main, visible)) {
                std::printf("message %ld (%u, 0x%llx) did not act\n", i, message,
                            static_cast<unsigned long long>(wParam));
                history(i);
                return 1;
            }
        } else if (!post && (IsWindowVisible(main) != FALSE) != visible) {
            std::printf("message %ld (%u, 0x%llx, 0x%llx) acted\n", i, message,
                        static_cast<unsigned long long>(wParam), static_cast<unsigned long long>(lParam));
            history(i);
            return 1;
        }
    }
    // Whatever was posted is handled before this answer comes back.
    Deliver(main, WM_NULL, 0, 0);
    Sleep(500);
    if (!Holdings(main, &kb, &windows))
        return 1;
    std::printf("%ld messages, %ld resumes; working set %zu -> %zu KB, windows %d -> %d\n", count, resumes,
                startKb, kb, startWindows, windows);
    return 0;
}

std::string Utf8(const std::wstring& text)
{
    std::string bytes(text.size() * 4, '\0');
    bytes.resize(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                         &bytes[0], static_cast<int>(bytes.size()), nullptr, nullptr)));
    return bytes;
}

std::wstring Wide(const char* utf8)
{
    std::wstring text(std::strlen(utf8), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &text[0], static_cast<int>(text.size()) + 1) - 1));
    return text;
}

// The program's tooltip is a top-level window of the framework's hint class.
int PrintHint()
{
    HWND hint = nullptr;
    while ((hint = FindWindowExA(nullptr, hint, "THintWindow", nullptr)) && !IsWindowVisible(hint)) {
    }
    if (!hint)
        return 1;
    wchar_t text[512] = {};
    GetWindowTextW(hint, text, 512);
    std::printf("%s\n", Utf8(text).c_str());
    return 0;
}

// The arguments as Wine passed them, before the C runtime narrowed them to the code page.
std::wstring WideArgument(int index)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring argument = arguments && index < count ? arguments[index] : L"";
    LocalFree(arguments);
    return argument;
}

int PrintTextMask(const char* face, int height, int weight, const std::wstring& text)
{
    const int width = 400, rows = 60;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -rows, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HFONT font = CreateFontW(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, Wide(face).c_str());
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    const RECT all = {0, 0, width, rows};
    ExtTextOutW(dc, 4, 4, ETO_OPAQUE, &all, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    GdiFlush();
    const auto ink = [&](int x, int y) {
        return ((static_cast<const uint32_t*>(bits)[y * width + x] >> 8) & 0xFF) >= 128;
    };
    int left = width, right = -1, top = rows, bottom = -1;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x)
            if (ink(x, y)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x)
            std::putchar(ink(x, y) ? '#' : '.');
        std::putchar('\n');
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return right >= 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "find" && argc == 4) {
        HWND window = Find(argv[2], argv[3]);
        if (!window)
            return 1;
        PrintWindow(window);
        return 0;
    }
    if (command == "count" && argc == 4) {
        int count = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, argv[2], argv[3])) != nullptr;)
            ++count;
        std::printf("%d\n", count);
        return 0;
    }
    if ((command == "send" || command == "post") && argc == 6) {
        HWND window = Find(argv[2], argv[3]);
        if (!window)
            return 1;
        const UINT message = static_cast<UINT>(Number(argv[4]));
        const WPARAM wParam = Number(argv[5]);
        if (command == "post")
            return PostMessageA(window, message, wParam, 0) ? 0 : 1;
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL, 10000, &result))
            return 1;
        std::printf("%lu\n", static_cast<unsigned long>(result));
        return 0;
    }
    if (command == "broadcast" && argc == 4) {
        const UINT message = RegisterWindowMessageA(argv[2]);
        return message && PostMessageA(HWND_BROADCAST, message, Number(argv[3]), 0) ? 0 : 1;
    }
    if (command == "owned" && argc == 4) {
        OwnedSearch search{Find(argv[2], argv[3]), 0};
        if (!search.owner)
            return 1;
        EnumWindows(PrintOwned, reinterpret_cast<LPARAM>(&search));
        return search.found ? 0 : 1;
    }
    if (command == "msgbox" && argc == 3) {
        HWND box = FindMessageBox(argv[2]);
        if (!box)
            return 1;
        EnumChildWindows(box, PrintStatic, 0);
        return 0;
    }
    if (command == "press" && argc == 3) {
        HWND box = FindMessageBox(argv[2]);
        return box && PostMessageA(box, WM_COMMAND, IDOK, 0) ? 0 : 1;
    }
    if (command == "hint" && argc == 2)
        return PrintHint();
    if (command == "textmask" && argc == 6)
        return PrintTextMask(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), WideArgument(5));
    if (command == "foreground" && argc == 2) {
        HWND window = GetForegroundWindow();
        char cls[64] = {}, title[256] = {};
        GetClassNameA(window, cls, sizeof cls);
        GetWindowTextA(window, title, sizeof title);
        std::printf("%s|%s\n", cls, title);
        return 0;
    }
    if (command == "mutex" && argc == 3) {
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, argv[2]);
        std::printf("%d\n", mutex ? 1 : 0);
        if (mutex)
            CloseHandle(mutex);
        return 0;
    }
    if (command == "memory" && argc == 4) {
        HWND window = Find(argv[2], argv[3]);
        size_t kb = 0;
        int windows = 0;
        if (!window || !Holdings(window, &kb, &windows))
            return 1;
        std::printf("%zu %d\n", kb, windows);
        return 0;
    }
    if (command == "repeat" && argc == 7) {
        HWND window = Find(argv[2], argv[3]);
        const long times = std::strtol(argv[6], nullptr, 10);
        for (long i = 0; window && i < times; ++i)
            if (!Deliver(window, static_cast<UINT>(Number(argv[4])), Number(argv[5]), 0))
                return 1;
        return window ? 0 : 1;
    }
    if (command == "fuzz" && (argc == 4 || argc == 5))
        return Fuzz(static_cast<unsigned>(Number(argv[2])), std::strtol(argv[3], nullptr, 10),
                    argc == 5 ? std::strtol(argv[4], nullptr, 10) : 0);
    std::fputs("usage: pellon_probe find|count|send|post|broadcast|owned|msgbox|press|foreground|hint|textmask|mutex|memory|repeat|fuzz ...\n", stderr);
    return 2;
}

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
#include <windows.h>

#include <cstdio>
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
    if (command == "foreground" && argc == 2) {
        HWND window = GetForegroundWindow();
        char cls[64] = {}, title[256] = {};
        GetClassNameA(window, cls, sizeof cls);
        GetWindowTextA(window, title, sizeof title);
        std::printf("%s|%s\n", cls, title);
        return 0;
    }
    std::fputs("usage: pellon_probe find|send|post|broadcast|owned|msgbox|press|foreground ...\n", stderr);
    return 2;
}

// Tells whether the window of CLASS and TITLE has the notification-area entry ID.
// The shell accepts a change only to an entry that exists, so an empty change
// (no flags) is the question; the entry belongs to one of the windows of the same
// thread. Exit status 0 when it exists, 1 when not, 2 on bad usage.
//   tray_probe CLASS TITLE ID
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

namespace {

struct EntrySearch {
    UINT id;
    bool found;
};

BOOL CALLBACK HasEntry(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<EntrySearch*>(param);
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = search->id;
    search->found = Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
    return !search->found;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    HWND main = FindWindowA(argv[1], argv[2]);
    if (!main)
        return 1;
    EntrySearch search{static_cast<UINT>(std::strtoul(argv[3], nullptr, 0)), false};
    EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), HasEntry, reinterpret_cast<LPARAM>(&search));
    return search.found ? 0 : 1;
}

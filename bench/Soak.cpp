// pellon_soak.exe: pellon.exe's forms, built as the program builds them, polling a live
// board as fast as they can for many polls; what the process holds is printed at the
// start and at the end, and must not grow.
//   pellon_soak.exe [POLLS]    default 100000
// Every other poll moves one sensor, so that bars repaint. At random moments, from a
// seed it prints (PELLON_SOAK_SEED replays one): the board starts or stops failing
// (sensor reads with no reply, odd register bytes, the sensor mask unreadable, the mode
// unwritable, the item group gone), a resume arrives, the window goes to the tray and
// comes back. The faults end before the last measure.
#include "app/Dialog.h"
#include "app/Dialogshadow.h"
#include "app/MainForm.h"
#include "app/ProgramForms.h"
#include "app/Shadow.h"
#include "platform/boardctl/BoardClient.h"
#include "tests/framework/LeakProbes.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

struct Holdings {
    size_t workingSet;
    leakprobe::Holdings held;
};

Holdings Measure()
{
    Holdings holdings{};
    holdings.held = leakprobe::Take();
    // Last: the probes' own tables are then in the working set both times.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    holdings.workingSet = counters.WorkingSetSize;
    return holdings;
}

void Poll()
{
    MainForm->PollingTimerTimer(MainForm->PollingTimer);
    RedrawWindow(MainForm->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Application->ProcessMessages();
}

void Show()
{
    MainForm->Show();
    // The soak makes the polls itself, as fast as they go.
    MainForm->PollingTimer->SetEnabled(false);
    Application->ProcessMessages();
}

unsigned Seed()
{
    char value[16] = {};
    if (GetEnvironmentVariableA("PELLON_SOAK_SEED", value, sizeof value) > 0)
        return static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    return static_cast<unsigned>(GetTickCount() ^ GetCurrentProcessId());
}

// One fault at a random moment: roughly every 50 polls something happens.
void Disturb(BoardClient& board, std::mt19937& random)
{
    auto below = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    if (below(50) != 0)
        return;
    const uint32_t on = below(2);
    switch (below(9)) {
    case 0:
        board.Command(NRV_CMD_FAIL_EC, below(256), on);
        break;
    case 1:
        board.Command(NRV_CMD_EC_BYTE, below(NRV_SENSOR_COUNT), below(256));
        break;
    case 2:
        board.Command(NRV_CMD_FAIL_READ, 0x1103001F, on);
        break;
    case 3:
        board.Command(NRV_CMD_FAIL_WRITE, 0x1103001C, on);
        break;
    case 4:
        board.Command(NRV_CMD_FAIL_GROUP, 0x11, on);
        break;
    case 5:
        board.Command(NRV_CMD_FAIL_CLEAR);
        break;
    case 6:
        SendMessageA(MainForm->Handle(), WM_POWERBROADCAST, below(2) ? PBT_APMRESUMEAUTOMATIC : PBT_APMRESUMESUSPEND, 0);
        break;
    case 7:
        MainForm->Hide();
        Application->ProcessMessages();
        Show();
        break;
    default:
        board.Command(NRV_CMD_SET_ITEM, 0x1103001F, below(2) ? 0x22 : below(0x100));
        break;
    }
}

void Print(const char* what, double start, double end, const char* unit)
{
    std::printf("%-34s %14.0f %14.0f %s\n", what, start, end, unit);
}

}  // namespace

int main(int argc, char** argv)
{
    const long polls = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 100000;
    BoardClient board;
    if (!board.IsOpen() || polls < 1000) {
        std::fprintf(stderr, "pellon_soak: needs the simulated board and at least 1000 polls\n");
        return 2;
    }
    board.Command(NRV_CMD_LIVE, 1);
    const unsigned seed = Seed();
    std::printf("seed %u\n", seed);
    std::mt19937 random(seed);
    Application->Initialize();
    Application->SetTitle("Pellon");
    CreateForms();
    MainForm->Start(false, true);
    Show();

    // The first polls fill what is made once (caches, the glyphs of the fonts).
    const long warmUp = 1000;
    Holdings start{};
    const DWORD began = GetTickCount();
    for (long poll = 0; poll < polls; ++poll) {
        if (poll == warmUp)
            start = Measure();
        if (poll % 2)
            board.Command(NRV_CMD_TEMP, static_cast<uint32_t>(poll / 2 % NRV_SENSOR_COUNT),
                          static_cast<uint32_t>(40 + poll / 16 % 12));
        if (poll % 1000 == 999) {
            MainForm->Hide();
            Application->ProcessMessages();
            Show();
        }
        Disturb(board, random);
        Poll();
    }
    board.Command(NRV_CMD_FAIL_CLEAR);
    board.Command(NRV_CMD_SET_ITEM, 0x1103001F, 0x22);
    Poll();
    const Holdings end = Measure();
    board.Command(NRV_CMD_LIVE, 0);

    std::printf("%ld polls in %.1f s, measured after poll %ld and at the end\n", polls,
                (GetTickCount() - began) / 1000.0, warmUp);
    Print("resident memory (working set)", start.workingSet / 1024.0, end.workingSet / 1024.0, "KB");
    Print("GDI objects (room left)", start.held.gdiRoom, end.held.gdiRoom, "");
    Print("window objects (room left)", start.held.userRoom, end.held.userRoom, "");
    Print("kernel handles in use", start.held.kernelHandles, end.held.kernelHandles, "");
    Print("heap in use", start.held.heapBytes, end.held.heapBytes, "bytes");
    // Objects and handles exactly; the heap and working set within page-sized noise.
    const bool flat = leakprobe::Flat(start.held, end.held, 16384) &&
                      end.workingSet < start.workingSet + 1024 * 1024;
    std::printf("%s\n", flat ? "flat" : "GROWING");
    MainForm->Close();
    return flat ? 0 : 1;
}

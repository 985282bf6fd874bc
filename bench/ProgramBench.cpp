#include "bench/ProgramBench.h"

#include "app/Dialog.h"
#include "app/Dialogshadow.h"
#include "app/MainForm.h"
#include "app/ProgramForms.h"
#include "app/Shadow.h"
#include "bench/BareRequests.h"
#include "platform/boardctl/BoardClient.h"
#include "src/Oc/PtmLib.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kPollLine[] = "one whole poll (UpdateBars, every bar changing) vs requests";
const char kStartLine[] = "start to first painted main window vs empty window program";
const char kMemoryLine[] = "resident memory after a run vs empty window program";
const char kShownLine[] = "CPU per poll interval, window shown";
const char kHiddenLine[] = "CPU while hidden in the tray";

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

uint32_t EcReads(BoardClient& board)
{
    NrvBoardState state{};
    return board.Query(&state) ? state.ecReads : 0;
}

struct WindowSearch {
    DWORD pid;
    const char* windowClass;
    bool visible;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (pid != search->pid || lstrcmpA(name, search->windowClass) != 0 ||
        (search->visible && !IsWindowVisible(window)))
        return TRUE;
    search->found = window;
    return FALSE;
}

// A program started for the figures; ended (politely, then by force) when it goes.
class Child {
public:
    explicit Child(const std::string& exe)
    {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = "\"" + exe + "\"";
        m_started = CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &m_info) != FALSE;
        m_exe = exe;
    }
    ~Child()
    {
        if (!m_started)
            return;
        if (HWND window = Window(m_endClass))
            PostMessageA(window, m_endMessage, m_endWParam, 0);
        if (WaitForSingleObject(m_info.hProcess, 5000) != WAIT_OBJECT_0)
            TerminateProcess(m_info.hProcess, 1);
        CloseHandle(m_info.hThread);
        CloseHandle(m_info.hProcess);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool Started() const { return m_started; }
    HANDLE Process() const { return m_info.hProcess; }
    void EndWith(const char* windowClass, UINT message, WPARAM wParam)
    {
        m_endClass = windowClass;
        m_endMessage = message;
        m_endWParam = wParam;
    }

    // The visible top-level window of that class this process owns, or null.
    HWND Window(const char* windowClass, bool visible = true) const
    {
        WindowSearch search{m_info.dwProcessId, windowClass, visible, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Milliseconds from start until the window of that class is shown and the program
    // has gone idle after it (its first paint done), or -1 after 30 s.
    double ShownAndIdle(const char* windowClass, double started) const
    {
        for (int i = 0; i < 15000; ++i) {
            if (WaitForInputIdle(m_info.hProcess, 0) == 0 && Window(windowClass)) {
                WaitForInputIdle(m_info.hProcess, 5000);
                return Clock() - started;
            }
            Sleep(2);
        }
        return -1;
    }

    // CPU time in milliseconds, or -1. Wine answers GetProcessTimes and GetThreadTimes
    // for other processes with zeros, so it is read from the system's own counts: the
    // /proc entry of the newest process whose command is this program's file.
    double CpuMilliseconds()
    {
        if (m_proc.empty())
            m_proc = FindProc();
        const std::vector<unsigned long long> fields = StatFields(m_proc);
        return fields.size() > 12 ? static_cast<double>(fields[11] + fields[12]) * 10 : -1;
    }

    size_t WorkingSet() const
    {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        return GetProcessMemoryInfo(m_info.hProcess, &counters, sizeof counters)
                   ? counters.WorkingSetSize
                   : 0;
    }

    static double Clock()
    {
        LARGE_INTEGER frequency, counter;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&counter);
        return static_cast<double>(counter.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
    }

private:
    // The numbers after the command name in /proc/N/stat: [11] and [12] are the user
    // and system time in ticks of 10 ms, [19] the start time.
    static std::vector<unsigned long long> StatFields(const std::string& folder)
    {
        std::vector<unsigned long long> fields;
        const std::string text = ReadAll(folder + "\\stat");
        const size_t end = text.rfind(')');
        if (folder.empty() || end == std::string::npos)
            return fields;
        const char* p = text.c_str() + end + 1;
        while (*p) {
            while (*p == ' ')
                ++p;
            char* next = nullptr;
            fields.push_back(std::strtoull(p, &next, 10));
            p = next == p ? std::strchr(p, ' ') : next;
            if (!p)
                break;
        }
        return fields;
    }

    static std::string ReadAll(const std::string& path)
    {
        std::string text;
        if (FILE* file = std::fopen(path.c_str(), "rb")) {
            char chunk[4096];
            size_t length;
            while ((length = std::fread(chunk, 1, sizeof chunk, file)) > 0)
                text.append(chunk, length);
            std::fclose(file);
        }
        return text;
    }

    std::string FindProc() const
    {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
        if (find == INVALID_HANDLE_VALUE)
            return std::string();
        std::string found;
        unsigned long long newest = 0;
        do {
            if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9')
                continue;
            const std::string folder = std::string("Z:\\proc\\") + entry.cFileName;
            const std::string command = ReadAll(folder + "\\cmdline");
            if (lstrcmpiA(command.c_str(), m_exe.c_str()) != 0)
                continue;
            const std::vector<unsigned long long> fields = StatFields(folder);
            if (fields.size() > 19 && fields[19] >= newest) {
                newest = fields[19];
                found = folder;
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        return found;
    }

    PROCESS_INFORMATION m_info{};
    std::string m_exe;
    std::string m_proc;
    bool m_started = false;
    const char* m_endClass = "";
    UINT m_endMessage = WM_CLOSE;
    WPARAM m_endWParam = 0;
};

void EndPellon(Child& pellon)
{
    pellon.EndWith("TMainForm", kCmdClose, kCommandTag);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void StartLine(const BenchOptions& options, const std::string& folder)
{
    std::vector<double> pellonTimes, emptyTimes, ratios;
    const int rounds = options.smoke ? 1 : 7;
    for (int round = 0; round < rounds; ++round) {
        double times[2] = {-1, -1};
        for (int turn = 0; turn < 2; ++turn) {
            const bool pellonTurn = (turn + round) % 2 == 0;
            const double started = Child::Clock();
            Child child(folder + (pellonTurn ? "pellon.exe" : "empty_window.exe"));
            if (pellonTurn)
                EndPellon(child);
            times[pellonTurn ? 0 : 1] =
                child.Started() ? child.ShownAndIdle(pellonTurn ? "TMainForm" : "EmptyWindow", started) : -1;
        }
        if (times[0] < 0 || times[1] < 0) {
            PrintWaiting(kStartLine, "<= 1.3 x", "a program did not show its window");
            return;
        }
        pellonTimes.push_back(times[0]);
        emptyTimes.push_back(times[1]);
        ratios.push_back(times[0] / times[1]);
    }
    char value[80];
    const double ratio = Median(ratios);
    std::snprintf(value, sizeof value, "%.0f ms vs %.0f ms: %.2f x", Median(pellonTimes),
                  Median(emptyTimes), ratio);
    PrintValue(kStartLine, value, ratio, 1.3, "<= 1.3 x",
               "(" + std::to_string(rounds) + " pairs of whole processes)");
}

// pellon.exe polling fast and an empty window program side by side: their memory after
// the run, pellon's CPU per poll while shown, and its CPU and board reads once hidden.
void RunLines(const BenchOptions& options, const std::string& folder, BoardClient& board,
              unsigned readsPerPoll)
{
    // A live board, as on a real machine: temperatures drift and change every second.
    board.Command(NRV_CMD_LIVE, 1);
    SetEnvironmentVariableA("PELLON_POLL_INTERVAL_MS", "20");
    Child pellon(folder + "pellon.exe");
    SetEnvironmentVariableA("PELLON_POLL_INTERVAL_MS", nullptr);
    EndPellon(pellon);
    Child empty(folder + "empty_window.exe");
    const double now = Child::Clock();
    if (!pellon.Started() || !empty.Started() || pellon.ShownAndIdle("TMainForm", now) < 0 ||
        empty.ShownAndIdle("EmptyWindow", now) < 0) {
        PrintWaiting(kMemoryLine, "<= 1.1 x", "a program did not show its window");
        return;
    }
    const DWORD window = options.smoke ? 500 : 3000;
    Sleep(window);

    // Shown: CPU over a window of polls.
    const double cpuBefore = pellon.CpuMilliseconds();
    const uint32_t readsBefore = EcReads(board);
    Sleep(window);
    const double cpuAfter = pellon.CpuMilliseconds();
    const double cpu = cpuBefore < 0 || cpuAfter < 0 ? -1 : cpuAfter - cpuBefore;
    const unsigned polls = (EcReads(board) - readsBefore) / std::max(readsPerPoll, 1u);

    const size_t pellonBytes = pellon.WorkingSet();
    const size_t emptyBytes = empty.WorkingSet();
    char value[80];
    if (pellonBytes && emptyBytes) {
        const double ratio = static_cast<double>(pellonBytes) / static_cast<double>(emptyBytes);
        std::snprintf(value, sizeof value, "%.1f MB vs %.1f MB: %.2f x", pellonBytes / 1048576.0,
                      emptyBytes / 1048576.0, ratio);
        PrintValue(kMemoryLine, value, ratio, 1.1, "<= 1.1 x", "(working sets; the soak shows it flat)");
    } else {
        PrintWaiting(kMemoryLine, "<= 1.1 x", "no working set reported");
    }
    if (polls > 0 && cpu >= 0) {
        std::snprintf(value, sizeof value, "%.2f ms a poll", cpu / polls);
        PrintValue(kShownLine, value, cpu / polls, 0.5, "<= 0.5 ms a poll",
                   "(" + std::to_string(polls) + " polls at 20 ms, " + std::to_string(static_cast<int>(cpu)) +
                       " ms CPU)");
    } else {
        PrintWaiting(kShownLine, "<= 0.5 ms a poll", cpu < 0 ? "no CPU times" : "no polls seen");
    }

    // Hidden: the close button's way to the tray, then nothing at all should run.
    if (HWND application = pellon.Window("TApplication", false))
        PostMessageA(application, WM_SYSCOMMAND, SC_CLOSE, 0);
    for (int i = 0; i < 500 && pellon.Window("TMainForm"); ++i)
        Sleep(10);
    Sleep(300);
    const double hiddenBefore = pellon.CpuMilliseconds();
    const uint32_t hiddenReads = EcReads(board);
    Sleep(window);
    const double hiddenAfter = pellon.CpuMilliseconds();
    const uint32_t reads = EcReads(board) - hiddenReads;
    if (pellon.Window("TMainForm") || hiddenBefore < 0 || hiddenAfter < 0) {
        PrintWaiting(kHiddenLine, "0 (no timer, no wake-ups)",
                     hiddenBefore < 0 ? "no CPU times" : "the window did not hide");
        return;
    }
    const double hiddenCpu = hiddenAfter - hiddenBefore;
    std::snprintf(value, sizeof value, "%.0f ms CPU, %u board reads in %.1f s", hiddenCpu, reads,
                  window / 1000.0);
    PrintValue(kHiddenLine, value, hiddenCpu + reads, 0, "0 (no timer, no wake-ups)", "");
}

void PollLine(const BenchOptions& options, BoardClient& board)
{
    Application->Initialize();
    Application->SetTitle("Pellon");
    CreateForms();
    MainForm->Start(false, true);
    MainForm->Show();
    MainForm->PollingTimer->SetEnabled(false);
    for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }

    // Two sets of temperatures in turn: every sensor, so every bar, changes each poll.
    PtmLib& monitor = PtmLib::Instance();
    bool turn = false;
    auto flip = [&] {
        turn = !turn;
        for (uint32_t sensor = 0; sensor < NRV_SENSOR_COUNT; ++sensor)
            board.Command(NRV_CMD_TEMP, sensor, static_cast<uint32_t>(turn ? 40 + sensor : 55 - sensor));
    };
    auto poll = [&] {
        MainForm->PollingTimerTimer(MainForm->PollingTimer);
        RedrawWindow(MainForm->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        Application->ProcessMessages();
    };
    flip();
    poll();
    std::vector<int> before;
    for (unsigned phase = 0; phase < static_cast<unsigned>(monitor.PhaseCount()); ++phase)
        before.push_back(monitor.PhaseDeviation(phase));
    flip();
    poll();
    bool allChange = true;
    for (unsigned phase = 0; phase < static_cast<unsigned>(monitor.PhaseCount()); ++phase)
        allChange = allChange && monitor.PhaseDeviation(phase) != before[phase];

    BareRequests bare;
    BenchOptions pollOptions = options;
    pollOptions.rounds = options.smoke ? 3 : 61;
    pollOptions.roundMicros = options.smoke ? 2000 : 10000;
    const PairFigure figure = MeasurePrepared(flip, poll, [&] { bare.Run(); }, pollOptions);
    PrintFigure(std::string(kPollLine) + (allChange ? "" : " (NOT every bar changed)"), figure, 1.15);
    MainForm->Hide();
    Application->ProcessMessages();
}

}  // namespace

void ProgramLines(const BenchOptions& options)
{
    BoardClient board;
    PtmLib& monitor = PtmLib::Instance();
    if (!board.IsOpen() || monitor.PhaseCount() == 0) {
        ++BareRequests::FailedRequests();
        for (const char* line : {kPollLine, kStartLine, kMemoryLine, kShownLine, kHiddenLine})
            PrintWaiting(line, "see the table", "no simulated board here");
        return;
    }
    const uint32_t reads = EcReads(board);
    monitor.Refresh();
    const unsigned readsPerPoll = EcReads(board) - reads;

    const std::string folder = ProgramFolder();
    // The whole processes first: this process's own forms come last.
    StartLine(options, folder);
    RunLines(options, folder, board, readsPerPoll);
    board.Command(NRV_CMD_LIVE, 0);
    PollLine(options, board);
}

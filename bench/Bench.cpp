#include "bench/Bench.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Now()
{
    static const double microsPerTick = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1e6 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * microsPerTick;
}

double TimeBatch(const std::function<void()>& run, int calls)
{
    const double start = Now();
    for (int i = 0; i < calls; ++i)
        run();
    return (Now() - start) / calls;
}

double TimeEach(const std::function<void()>& prepare, const std::function<void()>& run,
                int calls)
{
    double total = 0;
    for (int i = 0; i < calls; ++i) {
        prepare();
        const double start = Now();
        run();
        total += Now() - start;
    }
    return total / calls;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(q * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace

namespace {

// Alternating rounds of timeSubject and timeBaseline (each returns microseconds per call).
PairFigure Alternate(const std::function<double()>& timeSubject,
                     const std::function<double()>& timeBaseline, int rounds)
{
    std::vector<double> subjectTimes, baselineTimes, ratios;
    for (int round = 0; round < rounds; ++round) {
        double s, b;
        if (round % 2) {
            s = timeSubject();
            b = timeBaseline();
        } else {
            b = timeBaseline();
            s = timeSubject();
        }
        subjectTimes.push_back(s);
        baselineTimes.push_back(b);
        ratios.push_back(s / b);
    }
    PairFigure figure{};
    figure.subjectMedian = Median(subjectTimes);
    figure.baselineMedian = Median(baselineTimes);
    // A subject batch and the baseline batch beside it share the machine's load, so
    // their ratio is steadier than the ratio of the two medians.
    figure.ratio = Median(ratios);
    figure.spread = (Quantile(ratios, 0.75) - Quantile(ratios, 0.25)) / 2 / figure.ratio;
    return figure;
}

}  // namespace

PairFigure MeasurePair(const std::function<void()>& subject, const std::function<void()>& baseline,
                       const BenchOptions& options)
{
    // Warm both up, then size the batches from the slower of the two.
    subject();
    baseline();
    const double once = std::max({TimeBatch(subject, 3), TimeBatch(baseline, 3), 0.01});
    const int calls = std::max(1, static_cast<int>(options.roundMicros / once));
    return Alternate([&] { return TimeBatch(subject, calls); },
                     [&] { return TimeBatch(baseline, calls); }, options.rounds);
}

PairFigure MeasurePrepared(const std::function<void()>& prepare,
                           const std::function<void()>& subject,
                           const std::function<void()>& baseline, const BenchOptions& options)
{
    prepare();
    subject();
    prepare();
    baseline();
    const double once = std::max({TimeEach(prepare, subject, 2), TimeEach(prepare, baseline, 2), 0.01});
    const int calls = std::max(1, static_cast<int>(options.roundMicros / once));
    return Alternate([&] { return TimeEach(prepare, subject, calls); },
                     [&] { return TimeEach(prepare, baseline, calls); }, options.rounds);
}

void PrintFigure(const std::string& what, const PairFigure& figure, double goal)
{
    std::printf("%-58s %10.3f us %10.3f us %7.2f x  goal <= %4.2f x  %-6s noise +-%.0f%%\n",
                what.c_str(), figure.subjectMedian, figure.baselineMedian, figure.ratio, goal,
                figure.ratio <= goal ? "met" : "MISSED", figure.spread * 100);
    std::fflush(stdout);
}

void PrintValue(const std::string& what, const std::string& value, double figure, double goal,
                const std::string& goalText, const std::string& note)
{
    std::printf("%-58s %-39s goal %s  %-6s %s\n", what.c_str(), value.c_str(), goalText.c_str(),
                figure <= goal ? "met" : "MISSED", note.c_str());
    std::fflush(stdout);
}

void PrintWaiting(const std::string& what, const std::string& goal, const std::string& reason)
{
    std::printf("%-58s %-39s goal %s\n", what.c_str(), reason.c_str(), goal.c_str());
    std::fflush(stdout);
}

#pragma once
// Side-by-side timing: a subject and its baseline run in alternating rounds in one
// process, so that both see the same load on a shared, noisy machine. Only the ratio of
// their medians is meant to be read.
#include <functional>
#include <string>

struct PairFigure {
    double subjectMedian;   // microseconds per call
    double baselineMedian;  // microseconds per call
    double ratio;           // median of the per-round ratios subject / baseline
    double spread;          // half the interquartile range of the per-round ratios, relative
};

struct BenchOptions {
    // Short batches, many rounds: on a loaded machine a batch that the scheduler
    // interrupts is an outlier the medians leave out.
    int rounds = 301;          // alternating rounds of subject and baseline
    double roundMicros = 400;  // aim of one timed batch
    bool smoke = false;        // shortest runs of whole processes too
};

// Times both in alternating rounds (which of the two goes first alternates too), each
// round a batch of calls sized so that the baseline's batch takes about roundMicros.
PairFigure MeasurePair(const std::function<void()>& subject, const std::function<void()>& baseline,
                       const BenchOptions& options);

// The same for calls too long to batch blindly: each call is timed on its own, after
// prepare (not timed) has set up what that call is to find.
PairFigure MeasurePrepared(const std::function<void()>& prepare,
                           const std::function<void()>& subject,
                           const std::function<void()>& baseline, const BenchOptions& options);

// One line of the table: the two medians, the ratio, the goal and whether it is met.
void PrintFigure(const std::string& what, const PairFigure& figure, double goal);
// A line with an absolute figure rather than a ratio: value <= goal is met.
void PrintValue(const std::string& what, const std::string& value, double figure, double goal,
                const std::string& goalText, const std::string& note);
void PrintWaiting(const std::string& what, const std::string& goal, const std::string& reason);

#pragma once
// The program-level figures: pellon.exe's forms polling in this process, and pellon.exe
// beside an empty window program as whole processes.
#include "bench/Bench.h"

void ProgramLines(const BenchOptions& options);

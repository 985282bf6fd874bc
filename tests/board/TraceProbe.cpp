// Builds the phase monitor on the simulated board and refreshes it once, so a
// test can read the trace lines it writes to the debugger output.
#include "src/Oc/PtmLib.h"

int main()
{
    PtmLib::Instance().Refresh();
    return PtmLib::Instance().PhaseCount() > 0 ? 0 : 1;
}

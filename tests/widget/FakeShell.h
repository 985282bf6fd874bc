#pragma once
// A stand-in for Shell_NotifyIconA.
#include "src/gui/widget/NrTrayIcon.h"

#include <vector>

// One Shell_NotifyIconA call as the shell saw it.
struct Call {
    DWORD message;
    NOTIFYICONDATAA data;
};

// Stands in for the shell: records every call and answers from a script (true when
// the script runs out).
class FakeShell {
public:
    ShellNotifyFunction Function()
    {
        return [this](DWORD message, NOTIFYICONDATAA* data) {
            calls.push_back({message, *data});
            if (answers.empty())
                return TRUE;
            const BOOL answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        };
    }

    int Count(DWORD message) const
    {
        int count = 0;
        for (const Call& call : calls)
            count += call.message == message;
        return count;
    }

    std::vector<Call> calls;
    std::vector<BOOL> answers;
};

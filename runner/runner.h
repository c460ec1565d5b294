// The script runner: what a click on "Run Script" does.
#pragma once

#include "runner_host.h"

namespace typomancer {

class MSendInput;

enum class RunOutcome {
    Completed,  // the script ran to its end
    Failed,     // the run ended in an error report
    Abandoned,  // the window was closed during the run: nothing more was typed or shown,
                // and the caption was left as it stood
};

// Steps the window aside, waits the start delay, then types the script: whole, or line by
// line with wait lines when it holds a wait code. Every error ends in a message box; nothing
// escapes.
RunOutcome cmdRun_Click(RunnerHost& host, MSendInput& engine);

}  // namespace typomancer

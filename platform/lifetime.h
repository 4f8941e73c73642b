#pragma once

namespace platform {

// Ends the program: every event loop returns, and any started afterwards returns at once; the outermost
// one ends the process normally. Code that waits in a nested event loop must do nothing more once it
// returns without what it waited for.
void endProgram();

} // namespace platform

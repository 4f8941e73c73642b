#pragma once

namespace platform {

// Ends the program: every event loop returns, the outermost one ends the process normally.
// Code that waits in a nested event loop must return at once when programEnding() is true.
void endProgram();
bool programEnding();

} // namespace platform

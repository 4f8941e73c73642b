#pragma once

namespace platform {

// True when there is a display, or a platform chosen, to show the window on. Windows always has one;
// elsewhere an X or Wayland display must be named, or a Qt platform chosen.
bool displayAvailable();

} // namespace platform

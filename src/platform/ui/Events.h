#pragma once

namespace platform {

// Runs the pending window events once, repaints included, and returns.
void DoEvents();

}  // namespace platform

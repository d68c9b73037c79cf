#pragma once

namespace app {

// Runs the program: the window, or one of the headless command-line modes
// (which select Qt's offscreen platform themselves). Returns the exit code.
int run(int argc, char* argv[]);

} // namespace app

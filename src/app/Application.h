#pragma once

// Runs the program: set-up, the single-instance rule, the main window and the shut-down.
int RunKestrolin(int argc, char** argv);

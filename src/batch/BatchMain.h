#pragma once

// Whether the program's command line names a command (see BatchRunner.h):
// then main() hands over to batchMain() before any window is made.
bool isBatchCommandLine(int argc, char* argv[]);

// Runs the command of the command line without windows and without a display,
// and returns the exit status.
int batchMain(int argc, char* argv[]);

// app/commands.h -- the command-line tools that run without a window.
#pragma once

// The exit statuses of the program, the tools and the viewer alike.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;  // a file could not be read or written, or the system refused
constexpr int kExitUsage = 2;    // the command line asks for something that cannot be done
constexpr int kExitProblems = 3; // --strict: a file was read, with problems

// Each returns the process exit status.
int runInfoCommand(int argc, char** argv);      // ostrelle --info MODEL ...
int runDumpSceneCommand(int argc, char** argv); // ostrelle --dump-scene [FILE]

// app/commands.h -- the command-line tools that run without a window.
#pragma once

// Each returns the process exit status.
int runInfoCommand(int argc, char** argv);      // ostrelle --info MODEL ...
int runDumpSceneCommand(int argc, char** argv); // ostrelle --dump-scene [FILE]

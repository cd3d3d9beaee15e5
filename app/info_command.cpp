// app/info_command.cpp -- ostrelle --info: load one model and describe it as JSON.
#include "app/commands.h"

int runInfoCommand(int, char**) { return 1; }

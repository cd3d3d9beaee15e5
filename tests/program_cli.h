// tests/program_cli.h -- runs the built program in a folder of the test's own and keeps its exit
// status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

inline std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs the program in `dir` (its log lands there) with the given arguments, `env` (such as
// "env -u DISPLAY") put before it.
inline ProgramRun runProgram(const std::filesystem::path& dir, const std::string& args, const std::string& env = "") {
    const std::filesystem::path program = OSTRELLE_PROGRAM;
    const std::string command = "cd '" + dir.string() + "' && " + env + " '" + program.string() + "' " + args +
                                " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readText(dir / "stdout.txt"), readText(dir / "stderr.txt")};
}

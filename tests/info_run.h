// tests/info_run.h -- runs ostrelle --info in a scratch working folder (where it writes its debug
// log) and keeps the exit status, stdout, stderr and the log.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "base/debug_log.h"

struct InfoRun {
    int status = -1;
    std::string out, err, log;
};

inline InfoRun runInfo(std::vector<std::string> args) {
    namespace fs = std::filesystem;
    const fs::path home = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / ("ostrelle_info_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::current_path(dir);
    args.insert(args.begin(), {"ostrelle", "--info"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    InfoRun run;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    run.status = runInfoCommand(static_cast<int>(argv.size()), argv.data());
    run.out = testing::internal::GetCapturedStdout();
    run.err = testing::internal::GetCapturedStderr();
    {
        std::ifstream in(dir / "debuglog.txt");
        run.log.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    fs::current_path(home);
    openDebugLog();
    fs::remove_all(dir);
    return run;
}

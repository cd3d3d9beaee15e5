// base/load_problem.cpp -- names and the one-line form of the load problems.
#include "base/load_problem.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

const char* problemKindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::CannotOpen: return "cannot-open";
    case ProblemKind::CountTooLarge: return "count-too-large";
    case ProblemKind::RecordDropped: return "record-dropped";
    case ProblemKind::RecordMisnumbered: return "record-misnumbered";
    case ProblemKind::TextureNotFound: return "texture-not-found";
    case ProblemKind::NotAnimation: return "not-an-animation";
    case ProblemKind::LineNotRead: return "line-not-read";
    }
    return "unknown";
}

std::string problemLine(const LoadProblem& problem) {
    std::string line = "ostrelle: " + problem.file + ": " + problem.message;
    // One problem, one line, whatever bytes the names hold.
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line + "\n";
}

void addProblem(LoadProblems& problems, LoadProblem problem) {
    if (problems.size() + 1 < kMaxListedProblems) {
        problems.push_back(std::move(problem));
        return;
    }
    if (problems.size() + 1 == kMaxListedProblems) {
        LoadProblem rest;
        rest.kind = problem.kind;
        rest.file = problem.file;
        rest.value = 0; // the problems this last entry stands for
        problems.push_back(std::move(rest));
    }
    LoadProblem& rest = problems.back();
    rest.value = *rest.value + 1;
    rest.message = "and " + std::to_string(*rest.value) + " more problems not listed";
}

void nameProblemFile(LoadProblems& problems, const std::string& file) {
    for (LoadProblem& problem : problems)
        if (problem.file.empty()) problem.file = file;
}

std::string systemReason() { return errno ? strerror(errno) : "unknown reason"; }

LoadProblem cannotOpenProblem(const std::string& file) {
    LoadProblem problem;
    problem.kind = ProblemKind::CannotOpen;
    problem.file = file;
    problem.message = "cannot open: " + systemReason();
    return problem;
}

void printProblems(const LoadProblems& problems, size_t first) {
    for (size_t i = first; i < problems.size(); ++i) fputs(problemLine(problems[i]).c_str(), stderr);
}

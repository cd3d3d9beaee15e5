// base/load_problem.cpp -- names and the one-line form of the load problems.
#include "base/load_problem.h"

#include <cerrno>
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

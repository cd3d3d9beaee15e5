// base/load_problem.h -- what went wrong while a file was read, as plain records that the
// readers collect and the command line or the viewer reports; no GL.
#pragma once

#include <optional>
#include <string>
#include <vector>

enum class ProblemKind {
    CannotOpen,      // the file could not be read; the message carries the system's reason
    CountTooLarge,   // a declared count the file's bytes cannot hold; the load stopped there
    RecordDropped,   // a record naming something outside its arrays; value is what it named
    RecordMisnumbered, // a record whose own number is not its position; value is that number
    TextureNotFound, // no texture file for a material; the message names the files tried
    NotAnimation,    // an animation file from which no animation could be read
    LineNotRead,     // a scene line that no key took; record is its line number
};

struct LoadProblem {
    ProblemKind kind = ProblemKind::CannotOpen;
    std::string file;
    std::optional<int> mesh;         // the mesh it belongs to, where it belongs to one
    std::optional<long long> record; // the record's position in its list, or a line number
    std::optional<long long> value;  // the offending number as read
    std::string message;             // one line, without the file name
};

using LoadProblems = std::vector<LoadProblem>;

// The most problems one list keeps: a file whose every record is broken is reported by its
// first ones and a count of the rest, not by a line per record.
constexpr size_t kMaxListedProblems = 100;

// Appends `problem`, or past the limit counts it in the list's last entry.
void addProblem(LoadProblems& problems, LoadProblem problem);

// "cannot-open", "count-too-large", ...: the kind as the JSON reports it.
const char* problemKindName(ProblemKind kind);

// "ostrelle: FILE: MESSAGE" with its line end, as standard error shows it.
std::string problemLine(const LoadProblem& problem);

// Writes the lines of problems[first..] to standard error.
void printProblems(const LoadProblems& problems, size_t first = 0);

// Problems found by a reader that does not know its file (the texture lookup, the scene text)
// get `file`.
void nameProblemFile(LoadProblems& problems, const std::string& file);

// The system's reason for the last failed call (strerror of errno).
std::string systemReason();

// A problem of kind CannotOpen for `file`, with the system's reason.
LoadProblem cannotOpenProblem(const std::string& file);

// base/debug_log.h -- the diagnostic log "debuglog.txt": plain text, no levels, flushed per write.
#pragma once

#include <cstdio>
#include <string>

// One process-wide log. It opens lazily; when it cannot be opened every write is
// silently dropped and the program runs on.
class DebugLog {
public:
    // Truncates the file, then reopens it for appending. Returns the stream or null.
    FILE* open();
    void text(const char* s);
    void integer(int value);

    // Tests and tools may send the log to a string instead of the file.
    void captureTo(std::string* sink) { capture_ = sink; }
    // Where the file lives; "debuglog.txt" in the working directory unless changed.
    void setPath(const std::string& path) { path_ = path; }

private:
    bool ready();
    FILE* file_ = nullptr;
    std::string* capture_ = nullptr;
    std::string path_ = "debuglog.txt";
};

DebugLog& debugLog();

FILE* openDebugLog();
void logText(const char* text);
inline void logText(const std::string& text) { logText(text.c_str()); }
void logInt(int value);
void logFormat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Captures everything logged while it lives; used by tests to compare log text.
class ScopedLogCapture {
public:
    ScopedLogCapture() { debugLog().captureTo(&text); }
    ~ScopedLogCapture() { debugLog().captureTo(nullptr); }
    ScopedLogCapture(const ScopedLogCapture&) = delete;
    ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;
    std::string text;
};

// Holds back what the calling thread logs while it lives, appending it to `sink` instead: work
// spread over threads is logged afterwards in the order one thread would have logged it.
class ThreadLogHold {
public:
    explicit ThreadLogHold(std::string& sink);
    ~ThreadLogHold();
    ThreadLogHold(const ThreadLogHold&) = delete;
    ThreadLogHold& operator=(const ThreadLogHold&) = delete;

private:
    std::string* outer_;
};

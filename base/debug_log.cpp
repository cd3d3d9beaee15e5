// base/debug_log.cpp -- the diagnostic log: lazy open, verbatim text, flushed after each write.
#include "base/debug_log.h"

#include <cstdarg>

namespace {
thread_local std::string* heldLines = nullptr;
}

ThreadLogHold::ThreadLogHold(std::string& sink) : outer_(heldLines) { heldLines = &sink; }
ThreadLogHold::~ThreadLogHold() { heldLines = outer_; }

DebugLog& debugLog() {
    static DebugLog log;
    return log;
}

FILE* DebugLog::open() {
    if (file_) fclose(file_);
    file_ = nullptr;
    // Truncate first so every run (or the first successful retry) starts afresh.
    FILE* f = fopen(path_.c_str(), "w");
    if (!f) return nullptr;
    fclose(f);
    file_ = fopen(path_.c_str(), "a");
    return file_;
}

bool DebugLog::ready() {
    if (capture_) return true;
    if (!file_) open();
    return file_ != nullptr;
}

void DebugLog::text(const char* s) {
    if (s && heldLines) {
        heldLines->append(s);
        return;
    }
    if (!s || !ready()) return;
    if (capture_) {
        capture_->append(s);
        return;
    }
    fputs(s, file_);
    fflush(file_);
}

void DebugLog::integer(int value) {
    char buf[16];
    snprintf(buf, sizeof buf, "%i ", value);
    text(buf);
}

FILE* openDebugLog() { return debugLog().open(); }
void logText(const char* text) { debugLog().text(text); }
void logInt(int value) { debugLog().integer(value); }

void logFormat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    char buf[1024];
    int n = vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    if (n < 0) return;
    if (n < static_cast<int>(sizeof buf)) {
        debugLog().text(buf);
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    va_start(args, fmt);
    vsnprintf(&big[0], big.size(), fmt, args);
    va_end(args);
    big.resize(static_cast<size_t>(n));
    debugLog().text(big.c_str());
}

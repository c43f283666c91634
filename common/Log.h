#pragma once

// The program's log: one line to standard error per call, printf style.
// Never called from the audio thread.
void zuboLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Whether zuboLog prints; it does until told otherwise. The headless
// commands keep the composer's diagnostics for --verbose.
void zuboSetLogEnabled(bool enabled);
bool zuboLogEnabled();

// Trace lines: kept in the code for the reader, compiled to nothing.
template <typename... Args>
inline void Debug(const char*, Args&&...) {}

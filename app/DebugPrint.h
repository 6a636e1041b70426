#pragma once
// Developer diagnostics that the user never sees (the movie writer's error codes): one
// printf-like function writing to standard error, where a debugger or a terminal shows it.

void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

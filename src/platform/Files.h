#pragma once
// Every file the engine reads or writes is opened here. Paths keep their Windows form: a backslash
// separates folders, and a component that does not exist as written is matched without regard to
// case ("ESCENAS_BIN" and "escenas_bin" are one folder). Text-mode reads fold CR LF to LF, as
// Windows text mode did, so files written on Windows read the same.
#include <cstdio>
#include <string>

FILE* OpenFile(const char* path, const char* mode);

// The path on this machine that OpenFile would use: separators turned, existing components
// matched by case; components that do not exist are kept as written (so they can be created).
std::string ResolvePath(const char* path);

#pragma once
// What every fuzz target shares: the engine reads files through OpenFile, so each input is put in
// a file first, in a private folder on a memory file system where one exists.
#include <cstddef>
#include <cstdint>

// Silences the engine's log and answers every message box with its default, once per process.
void QuietEngine();

// Writes the input to a file named name in this process's scratch folder; returns its path,
// valid until the next call with the same name.
const char* WriteInput(const char* name, const uint8_t* data, size_t size);

// A path in the scratch folder for files the target writes itself.
const char* ScratchPath(const char* name);

// The scene model ends the program on purpose when a mesh element is read before its array was
// set up (the message box comes first). Under the fuzzer that exit would stop the run, so run()
// turns it into a return: true when the deliberate exit came. What the input had allocated and
// not freed by then is what the process would have left to the system; it is handed to the leak
// checker as ignored, so every other leak still counts.
bool RunUntilDeliberateExit(void (*run)(void* context), void* context);

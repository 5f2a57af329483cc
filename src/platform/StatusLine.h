#pragma once
// Log lines a person at the console needs to see (no display, no sound device, missing music,
// warnings): they go to the log and to standard error, once where both are the same file.
#include "platform/PrintfFormat.h"

// printf-style; the line should end in "\n".
void PrintStatus(const char* format, ...) ZB_PRINTF_FORMAT(1, 2);

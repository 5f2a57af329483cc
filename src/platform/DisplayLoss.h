#pragma once
// A display that goes away while a window is open (the X server ends, a remote session drops).
// Xlib's own answer ends the process through exit() from inside the GL call that found out; the
// destructors that exit() runs then call into that half-done GL library and corrupt the heap.

// From here on a lost display is told on the log and standard error, and the process ends at
// once with status 1, running no destructors. Nothing happens where X is not in use.
void EndAtOnceWhenTheDisplayIsLost();

#ifdef _WIN32
#include "platform/DisplayLoss.h"

// Nothing to do: a Windows program has no display connection that can break under it (X11's
// fatal IO error has no counterpart), and a closed window arrives as WM_CLOSE.
void EndAtOnceWhenTheDisplayIsLost() {}
#endif  // _WIN32

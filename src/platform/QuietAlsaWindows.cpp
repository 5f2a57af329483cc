#ifdef _WIN32
#include "platform/QuietAlsa.h"

// Nothing to quiet: Windows has no ALSA, and its audio drivers' search for a device writes
// nothing to standard error.
QuietAlsa::QuietAlsa() {}
QuietAlsa::~QuietAlsa() {}
#endif  // _WIN32

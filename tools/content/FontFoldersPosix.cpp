#ifndef _WIN32
#include "FontFolders.h"

// Where Debian's fonts-dejavu-core and fonts-dejavu-extra put them.
std::vector<std::string> FontFolders() { return {"/usr/share/fonts/truetype/dejavu/"}; }

const char kFontInstall[] = "install the packages fonts-dejavu-core and fonts-dejavu-extra";
#endif

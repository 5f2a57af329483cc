#ifndef _WIN32
#include "FontFolders.h"

// Where Debian's fonts-dejavu-core and fonts-dejavu-extra put them.
std::vector<std::string> FontFolders() { return {"/usr/share/fonts/truetype/dejavu/"}; }

const char kFontInstall[] = "instale los paquetes fonts-dejavu-core y fonts-dejavu-extra";
#endif

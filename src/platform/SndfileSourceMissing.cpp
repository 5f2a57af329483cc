// A build without libsndfile (Windows, until its libraries carry it) reads Ogg Vorbis alone.
#ifndef ZB_HAVE_SNDFILE
#include "platform/MusicSource.h"

std::unique_ptr<MusicSource> OpenSndfileSource(FILE* file, std::string& fault) {
  std::fclose(file);
  fault = "this build of the player reads Ogg Vorbis alone";
  return nullptr;
}
#endif  // ZB_HAVE_SNDFILE

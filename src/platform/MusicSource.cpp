#include "platform/MusicSource.h"

#include <cstring>

namespace {

// Ogg Vorbis: an Ogg page ("OggS") whose first packet is the Vorbis identification header. The
// packet starts after the 27-byte page header and its segment table.
bool IsOggVorbis(FILE* file) {
  unsigned char head[27 + 255 + 7];
  const size_t got = std::fread(head, 1, sizeof head, file);
  std::rewind(file);
  if (got < 27 || std::memcmp(head, "OggS", 4) != 0) return false;
  const size_t packet = 27 + size_t(head[26]);
  return got >= packet + 7 && std::memcmp(head + packet, "\x01vorbis", 7) == 0;
}

}  // namespace

std::unique_ptr<MusicSource> OpenMusicSource(FILE* file, std::string& fault) {
  return IsOggVorbis(file) ? OpenVorbisSource(file, fault) : OpenSndfileSource(file, fault);
}

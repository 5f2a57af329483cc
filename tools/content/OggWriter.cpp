#include "OggWriter.h"

#include <algorithm>
#include <cstdio>

#include <vorbis/vorbisenc.h>

#include "platform/Files.h"

namespace {

constexpr int kChannels = 2;
constexpr long kRate = 44100;
constexpr int kSerial = 0x2B0A7E1;
constexpr int kBlock = 1024;

bool WritePage(FILE* file, const ogg_page& page) {
  return fwrite(page.header, 1, size_t(page.header_len), file) == size_t(page.header_len) &&
         fwrite(page.body, 1, size_t(page.body_len), file) == size_t(page.body_len);
}

// Owns the encoder state for one file, so every exit path releases it.
struct Encoder {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  bool analysing = false;

  Encoder() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comment);
  }
  ~Encoder() {
    if (analysing) {
      ogg_stream_clear(&stream);
      vorbis_block_clear(&block);
      vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
  }
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Moves every finished packet into pages and writes them; flush forces out a partial page.
  bool Drain(FILE* file, bool flush) {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) ogg_stream_packetin(&stream, &packet);
    }
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page))
      if (!WritePage(file, page)) return false;
    return true;
  }
};

bool Encode(FILE* file, const std::vector<float>& interleaved, float quality) {
  Encoder encoder;
  if (vorbis_encode_init_vbr(&encoder.info, kChannels, kRate, quality) != 0) return false;
  vorbis_comment_add_tag(&encoder.comment, "TITLE", "zorbanel production music");
  vorbis_analysis_init(&encoder.dsp, &encoder.info);
  vorbis_block_init(&encoder.dsp, &encoder.block);
  ogg_stream_init(&encoder.stream, kSerial);
  encoder.analysing = true;

  ogg_packet header, commentHeader, codebooks;
  vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &commentHeader, &codebooks);
  ogg_stream_packetin(&encoder.stream, &header);
  ogg_stream_packetin(&encoder.stream, &commentHeader);
  ogg_stream_packetin(&encoder.stream, &codebooks);
  // The headers get pages of their own, before any audio, as players expect.
  ogg_page page;
  while (ogg_stream_flush(&encoder.stream, &page))
    if (!WritePage(file, page)) return false;

  size_t frames = interleaved.size() / kChannels;
  for (size_t start = 0; start < frames; start += kBlock) {
    int count = int(std::min<size_t>(kBlock, frames - start));
    float** buffer = vorbis_analysis_buffer(&encoder.dsp, count);
    for (int i = 0; i < count; ++i)
      for (int c = 0; c < kChannels; ++c) buffer[c][i] = interleaved[(start + i) * kChannels + c];
    vorbis_analysis_wrote(&encoder.dsp, count);
    if (!encoder.Drain(file, false)) return false;
  }
  vorbis_analysis_wrote(&encoder.dsp, 0);  // end of stream
  return encoder.Drain(file, true);
}

}  // namespace

bool WriteOggVorbis(const std::string& path, const std::vector<float>& interleaved, float quality) {
  FILE* file = OpenFile(path.c_str(), "wb");
  if (!file) {
    printf("Could not create %s\n", path.c_str());
    return false;
  }
  bool ok = Encode(file, interleaved, quality);
  ok = (fclose(file) == 0) && ok;
  if (!ok) printf("Could not write %s\n", path.c_str());
  return ok;
}

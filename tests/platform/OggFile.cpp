#include "OggFile.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>

namespace {

void WritePages(ogg_stream_state& stream, FILE* file, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
    std::fwrite(page.header, 1, page.header_len, file);
    std::fwrite(page.body, 1, page.body_len, file);
  }
}

}  // namespace

bool WriteOggTone(const std::string& path, double seconds, int rate, int channels,
                  double frequency, float amplitude) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, 0.4f) != 0) {
    vorbis_info_clear(&info);
    std::fclose(file);
    return false;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);

  ogg_packet header, commentPacket, codebook;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebook);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentPacket);
  ogg_stream_packetin(&stream, &codebook);
  WritePages(stream, file, true);

  const long total = static_cast<long>(seconds * rate);
  const double step = 2.0 * M_PI * frequency / rate;
  for (long done = 0;;) {
    const int chunk = static_cast<int>(std::min<long>(1024, total - done));
    if (chunk > 0) {
      float** buffer = vorbis_analysis_buffer(&dsp, chunk);
      for (int i = 0; i < chunk; ++i)
        for (int c = 0; c < channels; ++c)
          buffer[c][i] = amplitude * static_cast<float>(std::sin(step * (done + i)));
      done += chunk;
    }
    vorbis_analysis_wrote(&dsp, chunk > 0 ? chunk : 0);  // 0 marks the end of the stream
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        WritePages(stream, file, false);
      }
    }
    if (chunk <= 0) break;
  }
  WritePages(stream, file, true);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return std::fclose(file) == 0;
}

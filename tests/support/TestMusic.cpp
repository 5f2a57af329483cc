#include "support/TestMusic.h"

#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/Files.h"

namespace {

// Pages ready in the stream, or every page held back when flush is set.
void TakePages(ogg_stream_state& stream, std::string& out, bool flush) {
  ogg_page page;
  while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
    out.append(reinterpret_cast<const char*>(page.header), page.header_len);
    out.append(reinterpret_cast<const char*>(page.body), page.body_len);
  }
}

}  // namespace

std::string EncodeOggTone(double seconds, int rate, int channels, double frequency,
                          float amplitude, float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return std::string();
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);

  std::string out;
  ogg_packet header, commentPacket, codebook;
  vorbis_analysis_headerout(&dsp, &comment, &header, &commentPacket, &codebook);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &commentPacket);
  ogg_stream_packetin(&stream, &codebook);
  TakePages(stream, out, true);

  const long total = static_cast<long>(seconds * rate);
  const double step = 2.0 * 3.14159265358979323846 * frequency / rate;
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
        TakePages(stream, out, false);
      }
    }
    if (chunk <= 0) break;
  }
  TakePages(stream, out, true);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

std::string EncodeSilentOgg(double seconds) {
  return EncodeOggTone(seconds, 44100, 1, 0.0, 0.0f, 0.1f);
}

bool WriteOggTone(const std::string& path, double seconds, int rate, int channels,
                  double frequency, float amplitude) {
  const std::string bytes = EncodeOggTone(seconds, rate, channels, frequency, amplitude, 0.4f);
  if (bytes.empty()) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

namespace {

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

constexpr double kPi = 3.14159265358979323846;

// The marked music as 16-bit PCM in a RIFF WAVE file.
std::string MarkedWav() {
  constexpr int kRate = 44100, kChannels = 2;
  constexpr uint32_t kFrames = 3 * kRate;
  std::string out = "RIFF";
  PutLittleEndian(out, 36 + kFrames * kChannels * 2, 4);
  out += "WAVEfmt ";
  PutLittleEndian(out, 16, 4);
  PutLittleEndian(out, 1, 2);  // integer PCM
  PutLittleEndian(out, kChannels, 2);
  PutLittleEndian(out, kRate, 4);
  PutLittleEndian(out, kRate * kChannels * 2, 4);
  PutLittleEndian(out, kChannels * 2, 2);
  PutLittleEndian(out, 16, 2);
  out += "data";
  PutLittleEndian(out, kFrames * kChannels * 2, 4);
  for (uint32_t i = 0; i < kFrames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const bool tone = t >= kMarkStart && t < kMarkStart + 0.1;
    const double value = tone ? 0.8 * 32767 * std::sin(2 * kPi * 1000 * t) : 0;
    const auto sample = static_cast<int16_t>(value);
    for (int c = 0; c < kChannels; ++c) PutLittleEndian(out, static_cast<uint16_t>(sample), 2);
  }
  return out;
}

}  // namespace

std::string MarkedMusic(const std::string& format) {
  if (format == "wav") return MarkedWav();
  std::vector<uint8_t> bytes;
  const std::string path = std::string(ZB_SOURCE_DIR) + "/tests/data/music/mark." + format;
  EXPECT_TRUE(ReadWholeFile(path.c_str(), ReadLimit::kMusic, bytes)) << path;
  return std::string(bytes.begin(), bytes.end());
}

std::string Spoilt(std::string bytes) {
  for (size_t i = bytes.size() / 3; i < bytes.size() / 3 + 2000 && i < bytes.size(); ++i)
    bytes[i] = static_cast<char>(bytes[i] * 7 + 13);
  return bytes;
}

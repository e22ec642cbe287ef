#include "tools/music/ogg.h"

#include <vorbis/vorbisenc.h>

#include <stdexcept>

namespace music {
namespace {

void Append(std::vector<std::uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

// Takes every finished block through the encoder into pages.
void Drain(vorbis_dsp_state& vd, vorbis_block& vb, ogg_stream_state& os, std::vector<std::uint8_t>& out) {
  ogg_packet packet;
  ogg_page page;
  while (vorbis_analysis_blockout(&vd, &vb) == 1) {
    vorbis_analysis(&vb, nullptr);
    vorbis_bitrate_addblock(&vb);
    while (vorbis_bitrate_flushpacket(&vd, &packet)) {
      ogg_stream_packetin(&os, &packet);
      while (ogg_stream_pageout(&os, &page)) Append(out, page);
    }
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeOggVorbis(std::span<const float> stereo, int rate, float quality,
                                          const std::string& title) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, rate, quality) != 0) {
    vorbis_info_clear(&vi);
    throw std::runtime_error("the Vorbis encoder refuses these settings");
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", title.c_str());
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x51554E42);  // fixed serial: reproducible files

  std::vector<std::uint8_t> out;
  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &codebooks);
  ogg_page page;
  while (ogg_stream_flush(&os, &page)) Append(out, page);

  constexpr std::size_t kChunk = 4096;
  const std::size_t frames = stereo.size() / 2;
  for (std::size_t done = 0; done < frames; done += kChunk) {
    const std::size_t n = std::min(kChunk, frames - done);
    float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
    for (std::size_t i = 0; i < n; ++i) {
      buffer[0][i] = stereo[2 * (done + i)];
      buffer[1][i] = stereo[2 * (done + i) + 1];
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    Drain(vd, vb, os, out);
  }
  vorbis_analysis_wrote(&vd, 0);
  Drain(vd, vb, os, out);
  while (ogg_stream_flush(&os, &page)) Append(out, page);

  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

}  // namespace music

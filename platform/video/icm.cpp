#include "platform/video/icm.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/video/avidemux.h"
#include "platform/video/codecpalette.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

struct plat::HIC__ {
  AVCodecContext* context = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* scaler = nullptr;
  plat::video_impl::PaletteMap palette;
  std::vector<plat::BYTE> scratch;
  plat::LONG width = 0;
  plat::LONG height = 0;
  bool haveFrame = false;

  ~HIC__() {
    sws_freeContext(scaler);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
  }
};

namespace plat {
namespace {

constexpr LONG kMaxSide = 16384;

struct Target {
  AVPixelFormat format = AV_PIX_FMT_NONE;  // PAL8: the palette map after BGR24
  int bytesPerPixel = 0;
};

Target OutputTarget(const BITMAPINFOHEADER* bi) {
  if (!bi || bi->biWidth <= 0 || bi->biWidth > kMaxSide || bi->biHeight == 0 || bi->biHeight > kMaxSide ||
      bi->biHeight < -kMaxSide)
    return {};
  if (bi->biCompression == BI_BITFIELDS && bi->biBitCount == 16) {
    DWORD masks[3];
    std::memcpy(masks, reinterpret_cast<const BITMAPINFO*>(bi)->bmiColors, sizeof masks);
    if (masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F) return {AV_PIX_FMT_RGB565LE, 2};
    if (masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F) return {AV_PIX_FMT_RGB555LE, 2};
    return {};
  }
  if (bi->biCompression != BI_RGB) return {};
  switch (bi->biBitCount) {
    case 8:
      return {AV_PIX_FMT_PAL8, 1};
    case 16:
      return {AV_PIX_FMT_RGB555LE, 2};
    case 24:
      return {AV_PIX_FMT_BGR24, 3};
    case 32:
      return {AV_PIX_FMT_BGR0, 4};
    default:
      return {};
  }
}

std::size_t Pitch(const BITMAPINFOHEADER& bi) {
  return (static_cast<std::size_t>(bi.biWidth) * bi.biBitCount + 31) / 32 * 4;
}

bool Inside(int x, int y, int w, int h, LONG width, LONG height) {
  return x >= 0 && y >= 0 && w > 0 && h > 0 && x <= width - w && y <= std::abs(height) - h;
}

LRESULT Check(const HIC__& c, const ICDECOMPRESSEX& d) {
  if (!d.lpbiSrc || d.lpbiSrc->biWidth != c.width || std::abs(d.lpbiSrc->biHeight) != c.height) return ICERR_BADFORMAT;
  if (OutputTarget(d.lpbiDst).format == AV_PIX_FMT_NONE) return ICERR_BADFORMAT;
  if (!Inside(d.xSrc, d.ySrc, d.dxSrc, d.dySrc, c.width, c.height) ||
      !Inside(d.xDst, d.yDst, d.dxDst, d.dyDst, d.lpbiDst->biWidth, d.lpbiDst->biHeight))
    return ICERR_BADPARAM;
  return ICERR_OK;
}

// Places the top-left of the rectangle in each plane of a decoded frame.
void CropSource(const AVFrame& f, int x, int y, const std::uint8_t* planes[4], int pitches[4]) {
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f.format));
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, desc);
  for (int p = 0; p < 4; ++p) {
    pitches[p] = f.linesize[p];
    planes[p] = f.data[p];
    if (!f.data[p]) continue;
    const bool chroma = (p == 1 || p == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    const int px = chroma ? x >> desc->log2_chroma_w : x, py = chroma ? y >> desc->log2_chroma_h : y;
    if (!(desc->flags & AV_PIX_FMT_FLAG_PAL) || p == 0)
      planes[p] += static_cast<std::ptrdiff_t>(py) * f.linesize[p] + static_cast<std::ptrdiff_t>(px) * steps[p];
  }
}

LRESULT Decompress(HIC__& c, const ICDECOMPRESSEX& d) {
  if (const LRESULT r = Check(c, d); r != ICERR_OK) return r;
  const DWORD size = d.lpbiSrc->biSizeImage;
  if (size > 0) {
    if (!d.lpSrc || av_new_packet(c.packet, static_cast<int>(std::min<DWORD>(size, 0x7FFFFFF0))) < 0)
      return ICERR_MEMORY;
    std::memcpy(c.packet->data, d.lpSrc, static_cast<std::size_t>(c.packet->size));
    const int sent = avcodec_send_packet(c.context, c.packet);
    av_packet_unref(c.packet);
    if (sent < 0 && sent != AVERROR(EAGAIN)) return ICERR_ERROR;
    const int got = avcodec_receive_frame(c.context, c.frame);
    if (got == 0)
      c.haveFrame = true;
    else if (got != AVERROR(EAGAIN))
      return ICERR_ERROR;
  }
  // An empty frame, or one the decoder holds back, leaves the picture as it was.
  if ((d.dwFlags & ICDECOMPRESS_HURRYUP) || !c.haveFrame || !d.lpDst) return ICERR_OK;
  if (c.frame->width != c.width || c.frame->height != c.height) return ICERR_ERROR;

  const BITMAPINFOHEADER& out = *d.lpbiDst;
  const Target target = OutputTarget(&out);
  const bool paletted = target.format == AV_PIX_FMT_PAL8;
  const AVPixelFormat made = paletted ? AV_PIX_FMT_BGR24 : target.format;
  c.scaler = sws_getCachedContext(c.scaler, d.dxSrc, d.dySrc, static_cast<AVPixelFormat>(c.frame->format), d.dxDst,
                                  d.dyDst, made, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!c.scaler) return ICERR_UNSUPPORTED;
  const std::uint8_t* src[4];
  int srcPitch[4];
  CropSource(*c.frame, d.xSrc, d.ySrc, src, srcPitch);

  const auto pitch = static_cast<std::ptrdiff_t>(Pitch(out));
  const LONG rows = std::abs(out.biHeight);
  auto* base = static_cast<BYTE*>(d.lpDst);
  // The destination's top row: bottom-up DIBs keep it last in memory.
  const auto rowAt = [&](int y) { return base + (out.biHeight > 0 ? rows - 1 - y : y) * pitch; };
  const std::ptrdiff_t step = out.biHeight > 0 ? -pitch : pitch;
  if (!paletted) {
    std::uint8_t* dst[4] = {rowAt(d.yDst) + static_cast<std::ptrdiff_t>(d.xDst) * target.bytesPerPixel};
    int dstPitch[4] = {static_cast<int>(step)};
    sws_scale(c.scaler, src, srcPitch, 0, d.dySrc, dst, dstPitch);
    return ICERR_OK;
  }
  const auto scratchPitch = static_cast<std::size_t>(d.dxDst) * 3;
  c.scratch.resize(scratchPitch * static_cast<std::size_t>(d.dyDst));
  std::uint8_t* dst[4] = {c.scratch.data()};
  int dstPitch[4] = {static_cast<int>(scratchPitch)};
  sws_scale(c.scaler, src, srcPitch, 0, d.dySrc, dst, dstPitch);
  for (int y = 0; y < d.dyDst; ++y)
    c.palette.Map(c.scratch.data() + static_cast<std::size_t>(y) * scratchPitch, rowAt(d.yDst + y) + d.xDst, d.dxDst,
                  d.yDst + y, d.xDst);
  return ICERR_OK;
}

LRESULT SetPalette(HIC__& c, const BITMAPINFO* bi) {
  if (!bi) {
    c.palette.SetPalette(video_impl::DefaultCodecPalette());
    return ICERR_OK;
  }
  const DWORD used = bi->bmiHeader.biClrUsed;
  if (bi->bmiHeader.biBitCount != 8 || used > 256) return ICERR_BADFORMAT;
  video_impl::CodecPalette p = video_impl::DefaultCodecPalette();
  std::memcpy(p.data(), bi->bmiColors, sizeof(RGBQUAD) * (used ? used : 256));
  c.palette.SetPalette(p);
  return ICERR_OK;
}

LRESULT GetPalette(HIC__& c, BITMAPINFO* out) {
  if (!out) return static_cast<LRESULT>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  std::memcpy(out->bmiColors, c.palette.Palette().data(), 256 * sizeof(RGBQUAD));
  out->bmiHeader.biClrUsed = 256;
  return ICERR_OK;
}

}  // namespace

HIC ICLocate(FOURCC type, FOURCC handler, const BITMAPINFOHEADER* in, const BITMAPINFOHEADER* out, WORD mode) {
  if ((type != 0 && type != ICTYPE_VIDEO) || mode != ICMODE_DECOMPRESS || !in) return nullptr;
  video_impl::QuietFFmpeg();
  if (in->biSize < 40 || in->biWidth <= 0 || in->biWidth > kMaxSide || in->biHeight == 0 ||
      std::abs(in->biHeight) > kMaxSide)
    return nullptr;
  if (out && OutputTarget(out).format == AV_PIX_FMT_NONE) return nullptr;
  const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
  AVCodecID id = AV_CODEC_ID_NONE;
  if (handler != 0) id = av_codec_get_id(tags, handler);
  if (id == AV_CODEC_ID_NONE) id = av_codec_get_id(tags, in->biCompression);
  const AVCodec* decoder = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
  if (!decoder) return nullptr;

  auto c = std::make_unique<HIC__>();
  c->context = avcodec_alloc_context3(decoder);
  c->frame = av_frame_alloc();
  c->packet = av_packet_alloc();
  if (!c->context || !c->frame || !c->packet) return nullptr;
  c->width = in->biWidth;
  c->height = std::abs(in->biHeight);
  AVCodecContext& ctx = *c->context;
  ctx.width = c->width;
  ctx.height = c->height;
  ctx.codec_tag = in->biCompression;
  ctx.bits_per_coded_sample = in->biBitCount;
  ctx.thread_count = 1;
  // The codec's extra bytes follow the header; raw rows say bottom-up by their
  // height, which FFmpeg's raw decoder takes from a marker.
  const BYTE* extra = reinterpret_cast<const BYTE*>(in) + 40;
  std::size_t extraSize = std::min<std::size_t>(in->biSize - 40, 1 << 20);
  static constexpr BYTE kBottomUp[] = "BottomUp";
  if (id == AV_CODEC_ID_RAWVIDEO && in->biHeight > 0) {
    extra = kBottomUp;
    extraSize = sizeof kBottomUp;
  }
  if (extraSize > 0) {
    ctx.extradata = static_cast<std::uint8_t*>(av_mallocz(extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!ctx.extradata) return nullptr;
    std::memcpy(ctx.extradata, extra, extraSize);
    ctx.extradata_size = static_cast<int>(extraSize);
  }
  if (avcodec_open2(&ctx, decoder, nullptr) < 0) return nullptr;
  return c.release();
}

LRESULT ICClose(HIC codec) {
  delete codec;
  return ICERR_OK;
}

LRESULT ICSendMessage(HIC codec, UINT message, std::uintptr_t p1, std::uintptr_t p2) {
  if (!codec) return ICERR_BADHANDLE;
  const auto* d = reinterpret_cast<const ICDECOMPRESSEX*>(p1);
  switch (message) {
    case ICM_DECOMPRESSEX_QUERY:
    case ICM_DECOMPRESSEX_BEGIN:
      return d ? Check(*codec, *d) : ICERR_BADPARAM;
    case ICM_DECOMPRESSEX:
      return d ? Decompress(*codec, *d) : ICERR_BADPARAM;
    case ICM_DECOMPRESSEX_END:
      return ICERR_OK;
    case ICM_DECOMPRESS_SET_PALETTE:
      return SetPalette(*codec, reinterpret_cast<const BITMAPINFO*>(p1));
    case ICM_DECOMPRESS_GET_PALETTE:
      return GetPalette(*codec, reinterpret_cast<BITMAPINFO*>(p2));
    default:
      return ICERR_UNSUPPORTED;
  }
}

}  // namespace plat

#include "hvmulti/Wire.h"

#include <algorithm>
#include <string_view>

#include "hvmulti/HvMTypes.h"

namespace hvm {
namespace {

constexpr std::size_t kShortWidth = sizeof(HvMPlayer_Struct::shortName);
constexpr std::size_t kLongWidth = sizeof(HvMPlayer_Struct::longName);
constexpr std::size_t kPasswordWidth = HvMSession_Struct::kPasswordWidth;

void EncodeBody(plat::ByteWriter& w, const HelloFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Hello));
  plat::FixedText::Write(w, kGuidWidth, f.guid);
  w.U32(f.version);
  plat::FixedText::Write(w, kPasswordWidth, f.password);
  plat::FixedText::Write(w, kShortWidth, f.shortName);
  plat::FixedText::Write(w, kLongWidth, f.longName);
  plat::FixedText::Write(w, kTokenWidth, f.serverToken);
}
void EncodeBody(plat::ByteWriter& w, const WelcomeFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Welcome));
  w.U32(f.yourId);
  w.U8(f.sessionFlags);
  w.WriteBytes(f.session.bytes);
}
void EncodeBody(plat::ByteWriter& w, const RefuseFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Refuse));
  w.U32(static_cast<std::uint32_t>(f.code));
}
void EncodeBody(plat::ByteWriter& w, const JoinedFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Joined));
  w.U32(f.id);
  w.U8(f.flags);
  plat::FixedText::Write(w, kShortWidth, f.shortName);
  plat::FixedText::Write(w, kLongWidth, f.longName);
}
void EncodeBody(plat::ByteWriter& w, const LeftFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Left));
  w.U32(f.id);
}
void EncodeBody(plat::ByteWriter& w, const DataFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Data));
  w.U32(f.from);
  w.U32(f.to);
  w.U32(f.extra);
  const std::size_t n = std::min<std::size_t>(f.payload.size(), HVM_MAX_PACKET);
  w.WriteBytes(std::span(f.payload.data(), n));
}
void EncodeBody(plat::ByteWriter& w, const ChatFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Chat));
  w.U32(f.from);
  w.U32(f.to);
  w.Chars(std::string_view(f.text).substr(0, HVM_MAX_CHAT));
}
void EncodeBody(plat::ByteWriter& w, const PingFrame&) { w.U8(static_cast<std::uint8_t>(FrameKind::Ping)); }
void EncodeBody(plat::ByteWriter& w, const ByeFrame&) { w.U8(static_cast<std::uint8_t>(FrameKind::Bye)); }

// Each decoder takes the body after the kind byte and must use all of it.
bool DecodeHello(plat::ByteReader& r, Frame& out) {
  HelloFrame f;
  if (!plat::FixedText::Read(r, kGuidWidth, f.guid) || !r.Read(f.version) ||
      !plat::FixedText::Read(r, kPasswordWidth, f.password) || !plat::FixedText::Read(r, kShortWidth, f.shortName) ||
      !plat::FixedText::Read(r, kLongWidth, f.longName) || !plat::FixedText::Read(r, kTokenWidth, f.serverToken))
    return false;
  out = std::move(f);
  return r.Remaining() == 0;
}
bool DecodeWelcome(plat::ByteReader& r, Frame& out) {
  WelcomeFrame f;
  if (!r.Read(f.yourId) || !r.Read(f.sessionFlags) || !r.ReadBytes(f.session.bytes)) return false;
  out = f;
  return r.Remaining() == 0;
}
bool DecodeRefuse(plat::ByteReader& r, Frame& out) {
  std::uint32_t code = 0;
  if (!r.Read(code)) return false;
  out = RefuseFrame{static_cast<std::int32_t>(code)};
  return r.Remaining() == 0;
}
bool DecodeJoined(plat::ByteReader& r, Frame& out) {
  JoinedFrame f;
  if (!r.Read(f.id) || !r.Read(f.flags) || !plat::FixedText::Read(r, kShortWidth, f.shortName) ||
      !plat::FixedText::Read(r, kLongWidth, f.longName))
    return false;
  out = std::move(f);
  return r.Remaining() == 0;
}
bool DecodeLeft(plat::ByteReader& r, Frame& out) {
  LeftFrame f;
  if (!r.Read(f.id)) return false;
  out = f;
  return r.Remaining() == 0;
}
bool DecodeData(plat::ByteReader& r, Frame& out) {
  DataFrame f;
  if (!r.Read(f.from) || !r.Read(f.to) || !r.Read(f.extra)) return false;
  const auto rest = r.Bytes(r.Remaining());
  if (rest.empty() || rest.size() > HVM_MAX_PACKET) return false;
  f.payload.assign(rest.begin(), rest.end());
  out = std::move(f);
  return true;
}
bool DecodeChat(plat::ByteReader& r, Frame& out) {
  ChatFrame f;
  if (!r.Read(f.from) || !r.Read(f.to)) return false;
  const auto rest = r.Bytes(r.Remaining());
  if (rest.size() > HVM_MAX_CHAT || std::find(rest.begin(), rest.end(), 0) != rest.end()) return false;
  f.text.assign(rest.begin(), rest.end());
  out = std::move(f);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
  plat::ByteWriter w;
  w.U32(0);
  std::visit([&w](const auto& f) { EncodeBody(w, f); }, frame);
  w.WriteAt(0, static_cast<std::uint32_t>(w.Size() - kFrameLengthSize));
  return w.Take();
}

ParseStatus ParseFrame(std::span<const std::uint8_t> in, Frame& out, std::size_t& consumed) {
  std::uint32_t length = 0;
  if (!plat::ByteReader(in).Read(length)) return ParseStatus::NeedMore;
  if (length == 0 || length > kMaxFrameBody) return ParseStatus::Garbage;
  if (in.size() - kFrameLengthSize < length) return ParseStatus::NeedMore;
  plat::ByteReader r(in.subspan(kFrameLengthSize, length));
  const std::uint8_t kind = r.U8();
  bool ok = false;
  switch (static_cast<FrameKind>(kind)) {
    case FrameKind::Hello:
      ok = DecodeHello(r, out);
      break;
    case FrameKind::Welcome:
      ok = DecodeWelcome(r, out);
      break;
    case FrameKind::Refuse:
      ok = DecodeRefuse(r, out);
      break;
    case FrameKind::Joined:
      ok = DecodeJoined(r, out);
      break;
    case FrameKind::Left:
      ok = DecodeLeft(r, out);
      break;
    case FrameKind::Data:
      ok = DecodeData(r, out);
      break;
    case FrameKind::Chat:
      ok = DecodeChat(r, out);
      break;
    case FrameKind::Ping:
      out = PingFrame{};
      ok = r.Remaining() == 0;
      break;
    case FrameKind::Bye:
      out = ByeFrame{};
      ok = r.Remaining() == 0;
      break;
  }
  if (!ok) return ParseStatus::Garbage;
  consumed = kFrameLengthSize + length;
  return ParseStatus::Ok;
}

ParseStatus ParseDataFrame(std::span<const std::uint8_t> in, DataView& out, std::size_t& consumed) {
  std::uint32_t length = 0;
  if (!plat::ByteReader(in).Read(length)) return ParseStatus::NeedMore;
  if (length == 0 || length > kMaxFrameBody) return ParseStatus::Garbage;
  if (in.size() - kFrameLengthSize < length) return ParseStatus::NeedMore;
  if (in[kFrameLengthSize] != static_cast<std::uint8_t>(FrameKind::Data)) return ParseStatus::NotData;
  plat::ByteReader r(in.subspan(kFrameLengthSize + 1, length - 1));
  DataView v;
  if (!r.Read(v.from) || !r.Read(v.to) || !r.Read(v.extra)) return ParseStatus::Garbage;
  v.payload = r.Bytes(r.Remaining());
  if (v.payload.empty() || v.payload.size() > HVM_MAX_PACKET) return ParseStatus::Garbage;
  out = v;
  consumed = kFrameLengthSize + length;
  return ParseStatus::Ok;
}

void AppendDataFrame(std::vector<std::uint8_t>& out, const DataView& frame) {
  const std::size_t n = std::min<std::size_t>(frame.payload.size(), HVM_MAX_PACKET);
  auto put32 = [&out](std::uint32_t v) {
    const auto b = plat::EncodeLE(v);
    out.insert(out.end(), b.begin(), b.end());
  };
  put32(static_cast<std::uint32_t>(13 + n));
  out.push_back(static_cast<std::uint8_t>(FrameKind::Data));
  put32(frame.from);
  put32(frame.to);
  put32(frame.extra);
  out.insert(out.end(), frame.payload.begin(), frame.payload.begin() + static_cast<std::ptrdiff_t>(n));
}

namespace {
constexpr std::size_t kMagicSize = 4;
constexpr std::string_view kQueryMagic = "HVMQ";
constexpr std::string_view kAnswerMagic = "HVMA";

bool HasMagic(std::span<const std::uint8_t> d, std::string_view magic) {
  return d.size() >= kMagicSize && std::equal(magic.begin(), magic.end(), d.begin(),
                                              [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}
}  // namespace

std::vector<std::uint8_t> EncodeEnumQuery(const EnumQuery& q) {
  plat::ByteWriter w;
  w.Chars(kQueryMagic);
  plat::FixedText::Write(w, kGuidWidth, q.guid);
  w.U32(q.version);
  return w.Take();
}

std::vector<std::uint8_t> EncodeEnumAnswer(const EnumAnswer& a) {
  plat::ByteWriter w;
  w.Chars(kAnswerMagic);
  w.U16(a.tcpPort);
  w.WriteBytes(a.session.bytes);
  return w.Take();
}

std::optional<EnumQuery> ParseEnumQuery(std::span<const std::uint8_t> d) {
  if (!HasMagic(d, kQueryMagic)) return std::nullopt;
  plat::ByteReader r(d, kMagicSize);
  EnumQuery q;
  if (!plat::FixedText::Read(r, kGuidWidth, q.guid) || !r.Read(q.version) || r.Remaining() != 0) return std::nullopt;
  return q;
}

std::optional<EnumAnswer> ParseEnumAnswer(std::span<const std::uint8_t> d) {
  if (!HasMagic(d, kAnswerMagic)) return std::nullopt;
  plat::ByteReader r(d, kMagicSize);
  EnumAnswer a;
  if (!r.Read(a.tcpPort) || !r.ReadBytes(a.session.bytes) || r.Remaining() != 0) return std::nullopt;
  return a;
}

}  // namespace hvm

#include "hvmulti/Wire.h"

#include <algorithm>
#include <cstring>

#include "hvmulti/HvMTypes.h"

namespace hvm {
namespace {

class Writer {
 public:
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) U8(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  // A fixed-width text: at most width - 1 characters, zero-padded.
  void Text(const std::string& s, std::size_t width) {
    const std::size_t n = std::min(s.size(), width - 1);
    for (std::size_t i = 0; i < width; ++i) U8(i < n ? static_cast<std::uint8_t>(s[i]) : 0);
  }
  void Bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  std::vector<std::uint8_t>& Out() { return out_; }

 private:
  std::vector<std::uint8_t> out_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
  bool U8(std::uint8_t& v) {
    if (Left() < 1) return false;
    v = in_[pos_++];
    return true;
  }
  bool U16(std::uint16_t& v) {
    if (Left() < 2) return false;
    v = static_cast<std::uint16_t>(in_[pos_] | (in_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
  }
  bool U32(std::uint32_t& v) {
    if (Left() < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(in_[pos_ + i]) << (8 * i);
    pos_ += 4;
    return true;
  }
  bool Text(std::string& s, std::size_t width) {
    if (Left() < width) return false;
    std::size_t n = 0;
    while (n < width && in_[pos_ + n] != 0) ++n;
    s.assign(in_.begin() + pos_, in_.begin() + pos_ + n);
    pos_ += width;
    return true;
  }
  template <std::size_t N>
  bool Image(HvMByteImage<N>& image) {
    if (Left() < N) return false;
    std::copy_n(in_.begin() + pos_, N, image.bytes.begin());
    pos_ += N;
    return true;
  }
  std::span<const std::uint8_t> Rest() {
    auto r = in_.subspan(pos_);
    pos_ = in_.size();
    return r;
  }
  std::size_t Left() const { return in_.size() - pos_; }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
};

constexpr std::size_t kShortWidth = sizeof(HvMPlayer_Struct::shortName);
constexpr std::size_t kLongWidth = sizeof(HvMPlayer_Struct::longName);
constexpr std::size_t kPasswordWidth = HvMSession_Struct::kPasswordWidth;

void EncodeBody(Writer& w, const HelloFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Hello));
  w.Text(f.guid, kGuidWidth);
  w.U32(f.version);
  w.Text(f.password, kPasswordWidth);
  w.Text(f.shortName, kShortWidth);
  w.Text(f.longName, kLongWidth);
  w.Text(f.serverToken, kTokenWidth);
}
void EncodeBody(Writer& w, const WelcomeFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Welcome));
  w.U32(f.yourId);
  w.U8(f.sessionFlags);
  w.Bytes(f.session.bytes);
}
void EncodeBody(Writer& w, const RefuseFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Refuse));
  w.U32(static_cast<std::uint32_t>(f.code));
}
void EncodeBody(Writer& w, const JoinedFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Joined));
  w.U32(f.id);
  w.U8(f.flags);
  w.Text(f.shortName, kShortWidth);
  w.Text(f.longName, kLongWidth);
}
void EncodeBody(Writer& w, const LeftFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Left));
  w.U32(f.id);
}
void EncodeBody(Writer& w, const DataFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Data));
  w.U32(f.from);
  w.U32(f.to);
  w.U32(f.extra);
  const std::size_t n = std::min<std::size_t>(f.payload.size(), HVM_MAX_PACKET);
  w.Bytes(std::span(f.payload.data(), n));
}
void EncodeBody(Writer& w, const ChatFrame& f) {
  w.U8(static_cast<std::uint8_t>(FrameKind::Chat));
  w.U32(f.from);
  w.U32(f.to);
  const std::size_t n = std::min<std::size_t>(f.text.size(), HVM_MAX_CHAT);
  for (std::size_t i = 0; i < n; ++i) w.U8(static_cast<std::uint8_t>(f.text[i]));
}
void EncodeBody(Writer& w, const PingFrame&) { w.U8(static_cast<std::uint8_t>(FrameKind::Ping)); }
void EncodeBody(Writer& w, const ByeFrame&) { w.U8(static_cast<std::uint8_t>(FrameKind::Bye)); }

// Each decoder takes the body after the kind byte and must use all of it.
bool DecodeHello(Reader& r, Frame& out) {
  HelloFrame f;
  if (!r.Text(f.guid, kGuidWidth) || !r.U32(f.version) || !r.Text(f.password, kPasswordWidth) ||
      !r.Text(f.shortName, kShortWidth) || !r.Text(f.longName, kLongWidth) || !r.Text(f.serverToken, kTokenWidth))
    return false;
  out = std::move(f);
  return r.Left() == 0;
}
bool DecodeWelcome(Reader& r, Frame& out) {
  WelcomeFrame f;
  if (!r.U32(f.yourId) || !r.U8(f.sessionFlags) || !r.Image(f.session)) return false;
  out = f;
  return r.Left() == 0;
}
bool DecodeRefuse(Reader& r, Frame& out) {
  std::uint32_t code = 0;
  if (!r.U32(code)) return false;
  out = RefuseFrame{static_cast<std::int32_t>(code)};
  return r.Left() == 0;
}
bool DecodeJoined(Reader& r, Frame& out) {
  JoinedFrame f;
  if (!r.U32(f.id) || !r.U8(f.flags) || !r.Text(f.shortName, kShortWidth) || !r.Text(f.longName, kLongWidth))
    return false;
  out = std::move(f);
  return r.Left() == 0;
}
bool DecodeLeft(Reader& r, Frame& out) {
  LeftFrame f;
  if (!r.U32(f.id)) return false;
  out = f;
  return r.Left() == 0;
}
bool DecodeData(Reader& r, Frame& out) {
  DataFrame f;
  if (!r.U32(f.from) || !r.U32(f.to) || !r.U32(f.extra)) return false;
  const auto rest = r.Rest();
  if (rest.empty() || rest.size() > HVM_MAX_PACKET) return false;
  f.payload.assign(rest.begin(), rest.end());
  out = std::move(f);
  return true;
}
bool DecodeChat(Reader& r, Frame& out) {
  ChatFrame f;
  if (!r.U32(f.from) || !r.U32(f.to)) return false;
  const auto rest = r.Rest();
  if (rest.size() > HVM_MAX_CHAT || std::find(rest.begin(), rest.end(), 0) != rest.end()) return false;
  f.text.assign(rest.begin(), rest.end());
  out = std::move(f);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodeFrame(const Frame& frame) {
  Writer w;
  w.U32(0);
  std::visit([&w](const auto& f) { EncodeBody(w, f); }, frame);
  auto& out = w.Out();
  const auto body = static_cast<std::uint32_t>(out.size() - kFrameLengthSize);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(body >> (8 * i));
  return std::move(out);
}

ParseStatus ParseFrame(std::span<const std::uint8_t> in, Frame& out, std::size_t& consumed) {
  Reader head(in);
  std::uint32_t length = 0;
  if (!head.U32(length)) return ParseStatus::NeedMore;
  if (length == 0 || length > kMaxFrameBody) return ParseStatus::Garbage;
  if (in.size() - kFrameLengthSize < length) return ParseStatus::NeedMore;
  Reader r(in.subspan(kFrameLengthSize, length));
  std::uint8_t kind = 0;
  r.U8(kind);
  bool ok = false;
  switch (static_cast<FrameKind>(kind)) {
    case FrameKind::Hello: ok = DecodeHello(r, out); break;
    case FrameKind::Welcome: ok = DecodeWelcome(r, out); break;
    case FrameKind::Refuse: ok = DecodeRefuse(r, out); break;
    case FrameKind::Joined: ok = DecodeJoined(r, out); break;
    case FrameKind::Left: ok = DecodeLeft(r, out); break;
    case FrameKind::Data: ok = DecodeData(r, out); break;
    case FrameKind::Chat: ok = DecodeChat(r, out); break;
    case FrameKind::Ping: out = PingFrame{}; ok = r.Left() == 0; break;
    case FrameKind::Bye: out = ByeFrame{}; ok = r.Left() == 0; break;
  }
  if (!ok) return ParseStatus::Garbage;
  consumed = kFrameLengthSize + length;
  return ParseStatus::Ok;
}

namespace {
constexpr char kQueryMagic[4] = {'H', 'V', 'M', 'Q'};
constexpr char kAnswerMagic[4] = {'H', 'V', 'M', 'A'};

bool HasMagic(std::span<const std::uint8_t> d, const char (&magic)[4]) {
  return d.size() >= 4 && std::equal(magic, magic + 4, d.begin(),
                                     [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}
void PutMagic(Writer& w, const char (&magic)[4]) {
  for (char c : magic) w.U8(static_cast<std::uint8_t>(c));
}
}  // namespace

std::vector<std::uint8_t> EncodeEnumQuery(const EnumQuery& q) {
  Writer w;
  PutMagic(w, kQueryMagic);
  w.Text(q.guid, kGuidWidth);
  w.U32(q.version);
  return std::move(w.Out());
}

std::vector<std::uint8_t> EncodeEnumAnswer(const EnumAnswer& a) {
  Writer w;
  PutMagic(w, kAnswerMagic);
  w.U16(a.tcpPort);
  w.Bytes(a.session.bytes);
  return std::move(w.Out());
}

std::optional<EnumQuery> ParseEnumQuery(std::span<const std::uint8_t> d) {
  if (!HasMagic(d, kQueryMagic)) return std::nullopt;
  Reader r(d.subspan(4));
  EnumQuery q;
  if (!r.Text(q.guid, kGuidWidth) || !r.U32(q.version) || r.Left() != 0) return std::nullopt;
  return q;
}

std::optional<EnumAnswer> ParseEnumAnswer(std::span<const std::uint8_t> d) {
  if (!HasMagic(d, kAnswerMagic)) return std::nullopt;
  Reader r(d.subspan(4));
  EnumAnswer a;
  if (!r.U16(a.tcpPort) || !r.Image(a.session) || r.Left() != 0) return std::nullopt;
  return a;
}

}  // namespace hvm

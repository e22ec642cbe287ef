// Byte images of the library's records and the frame format's refusals.
#include <gtest/gtest.h>

#include <tuple>

#include "hvmulti/HvMRecords.h"
#include "hvmulti/HvMTypes.h"
#include "hvmulti/Wire.h"

namespace {

TEST(HvMRecords, FieldsSitAtTheirOffsets) {
  HvMService_Struct service;
  EXPECT_EQ(service.bytes.size(), 40u);
  service.SetU32(HvMService_Struct::kId, 0x11223344);
  service.SetU8(HvMService_Struct::kType, 6);
  service.SetU16(HvMService_Struct::kFlags, 0x0010);
  EXPECT_EQ(service.bytes[32], 0x44);
  EXPECT_EQ(std::make_tuple(service.bytes[35], service.bytes[37], service.bytes[38], service.bytes[39]),
            std::make_tuple(0x11, 6, 0x10, 0x00));

  HvMServiceEx_Struct settings;
  EXPECT_EQ(settings.bytes.size(), 336u);
  settings.SetU32(HvMServiceEx_Struct::kFlowControl, 4);
  EXPECT_EQ(settings.bytes[220], 4);

  HvMSession_Struct session;
  EXPECT_EQ(session.bytes.size(), 128u);
  session.SetText(HvMSession_Struct::kDescription, HvMSession_Struct::kDescriptionWidth, "n_60_8_40_2");
  session.SetU32(HvMSession_Struct::kMaxPlayers, 40);
  session.SetText(HvMSession_Struct::kPassword, HvMSession_Struct::kPasswordWidth, "x");
  EXPECT_EQ(session.bytes[32], 'n');
  EXPECT_EQ(session.bytes[88], 40);
  EXPECT_EQ(session.bytes[96], 'x');
  EXPECT_EQ(session.bytes[97], 0);
}

TEST(HvMRecords, TextFieldsKeepTheirTerminatorAndStayInside) {
  HvMSession_Struct session;
  session.SetText(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth, std::string(40, 'a'));
  EXPECT_EQ(session.Text(HvMSession_Struct::kName, HvMSession_Struct::kNameWidth), std::string(31, 'a'));
  EXPECT_EQ(session.bytes[31], 0);
  EXPECT_EQ(session.bytes[32], 0);  // the description is untouched
  // A field reaching past the image is neither read nor written.
  session.SetU32(126, 0xFFFFFFFF);
  EXPECT_EQ(session.bytes[126], 0);
  EXPECT_EQ(session.U32(126), 0u);
}

std::vector<std::uint8_t> Frame(std::uint32_t length, std::vector<std::uint8_t> body) {
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  for (const auto b : body) out.push_back(b);
  return out;
}

TEST(HvMWire, FramesRoundTripAndArriveInPieces) {
  hvm::DataFrame data{7, HVM_ID_ALLPLAYERS, 1, std::vector<std::uint8_t>(HVM_MAX_PACKET, 0x5A)};
  const auto encoded = hvm::EncodeFrame(data);
  hvm::Frame out;
  std::size_t used = 0;
  for (std::size_t cut = 0; cut < encoded.size(); cut += 97)
    EXPECT_EQ(hvm::ParseFrame(std::span(encoded).first(cut), out, used), hvm::ParseStatus::NeedMore);
  ASSERT_EQ(hvm::ParseFrame(encoded, out, used), hvm::ParseStatus::Ok);
  EXPECT_EQ(used, encoded.size());
  const auto& back = std::get<hvm::DataFrame>(out);
  EXPECT_EQ(std::make_tuple(back.from, back.to, back.payload), std::make_tuple(7u, HVM_ID_ALLPLAYERS, data.payload));

  hvm::HelloFrame hello{"guid", 6, "pw", "nick", "A long name", "token"};
  ASSERT_EQ(hvm::ParseFrame(hvm::EncodeFrame(hello), out, used), hvm::ParseStatus::Ok);
  EXPECT_EQ(std::get<hvm::HelloFrame>(out).longName, "A long name");
  EXPECT_EQ(std::get<hvm::HelloFrame>(out).serverToken, "token");
}

TEST(HvMWire, MalformedFramesAreGarbage) {
  hvm::Frame out;
  std::size_t used = 0;
  auto parse = [&](const std::vector<std::uint8_t>& bytes) { return hvm::ParseFrame(bytes, out, used); };
  // Lengths no frame can have, judged before the body arrives.
  EXPECT_EQ(parse(Frame(0, {})), hvm::ParseStatus::Garbage);
  EXPECT_EQ(parse(Frame(0x7FFFFFFF, {6})), hvm::ParseStatus::Garbage);
  EXPECT_EQ(parse(Frame(static_cast<std::uint32_t>(hvm::kMaxFrameBody + 1), {6})), hvm::ParseStatus::Garbage);
  // Unknown kind; a body too short or too long for its kind.
  EXPECT_EQ(parse(Frame(1, {42})), hvm::ParseStatus::Garbage);
  EXPECT_EQ(parse(Frame(3, {5, 1, 0})), hvm::ParseStatus::Garbage);
  EXPECT_EQ(parse(Frame(2, {8, 0})), hvm::ParseStatus::Garbage);
  // A data frame without payload.
  EXPECT_EQ(parse(Frame(13, {6, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0})), hvm::ParseStatus::Garbage);
  // A chat text with a zero inside.
  EXPECT_EQ(parse(Frame(11, {7, 1, 0, 0, 0, 2, 0, 0, 0, 'a', 0})), hvm::ParseStatus::Garbage);
}

TEST(HvMWire, EnumerationDatagramsAreChecked) {
  HvMSession_Struct s;
  s.SetU32(HvMSession_Struct::kSessionId, 99);
  const auto answer = hvm::EncodeEnumAnswer(hvm::EnumAnswer{4242, s});
  const auto parsed = hvm::ParseEnumAnswer(answer);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->tcpPort, 4242);
  EXPECT_EQ(parsed->session.U32(HvMSession_Struct::kSessionId), 99u);
  EXPECT_FALSE(hvm::ParseEnumAnswer(std::span(answer).first(answer.size() - 1)));
  EXPECT_FALSE(hvm::ParseEnumQuery(answer));
  const auto query = hvm::EncodeEnumQuery(hvm::EnumQuery{"g", 6});
  ASSERT_TRUE(hvm::ParseEnumQuery(query));
  EXPECT_EQ(hvm::ParseEnumQuery(query)->guid, "g");
}

}  // namespace

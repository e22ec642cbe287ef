// A connection's write buffer: frames taken back out of it after part of it
// went to the socket leave the rest whole and in order.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <vector>

#include "hvmulti/Connection.h"
#include "hvmulti/Wire.h"

namespace {

TEST(HvMConnection, FramesTakenBackLeaveTheOthersWholeAndInOrder) {
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0);
  const int small = 4096;
  ::setsockopt(ends[0], SOL_SOCKET, SO_SNDBUF, &small, sizeof small);
  hvm::Connection out{hvm::Fd(ends[0])};
  hvm::Connection in{hvm::Fd(ends[1])};

  constexpr int kFrames = 60;
  std::vector<hvm::Connection::Span> spans;
  for (int i = 0; i < kFrames; ++i) {
    const std::uint64_t begin = out.Queued();
    out.Queue(hvm::EncodeFrame(hvm::DataFrame{static_cast<std::uint32_t>(i), 0, 0, std::vector<std::uint8_t>(700, 1)}));
    spans.push_back({begin, out.Queued()});
  }
  ASSERT_TRUE(out.WriteAvailable());
  const std::uint64_t written = out.Written();
  ASSERT_GT(written, 0u);
  ASSERT_TRUE(out.WantsWrite());  // the socket took only part

  // Every odd frame the socket has not started on goes, and frame 40 with 41
  // as one run.
  std::vector<hvm::Connection::Span> runs;
  std::vector<std::uint32_t> expected;
  for (int i = 0; i < kFrames; ++i) {
    const bool goes = spans[i].begin >= written && (i % 2 == 1 || i == 40);
    if (!goes)
      expected.push_back(static_cast<std::uint32_t>(i));
    else if (!runs.empty() && runs.back().end == spans[i].begin)
      runs.back().end = spans[i].end;
    else
      runs.push_back(spans[i]);
  }
  ASSERT_LT(expected.size(), 40u);
  out.Unqueue(runs);

  std::vector<std::uint32_t> got;
  for (int turn = 0; turn < 1000 && got.size() < expected.size(); ++turn) {
    ASSERT_TRUE(out.WriteAvailable());
    ASSERT_TRUE(in.ReadAvailable());
    hvm::Frame f;
    while (in.NextFrame(f) == hvm::ParseStatus::Ok) got.push_back(std::get<hvm::DataFrame>(f).from);
  }
  EXPECT_EQ(got, expected);
  EXPECT_FALSE(out.WantsWrite());
}

}  // namespace

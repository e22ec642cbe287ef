#pragma once
// One TCP connection carrying frames: a read buffer cut into frames and a
// write buffer drained as the socket accepts it.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "hvmulti/Socket.h"
#include "hvmulti/Wire.h"

namespace hvm {

class Connection {
 public:
  explicit Connection(Fd fd) : fd_(std::move(fd)) {}

  int Handle() const { return fd_.Get(); }

  // Appends an encoded frame to the write buffer.
  void Queue(std::span<const std::uint8_t> frame);
  void QueueData(const DataView& frame);
  // Bytes not yet handed to the socket.
  std::size_t Pending() const { return out_.size() - outStart_; }
  bool WantsWrite() const { return Pending() > 0; }
  // Bytes the socket has taken since the connection was made.
  std::uint64_t Written() const { return written_; }
  // Bytes queued since the connection was made: the stream position the next
  // queued byte takes.
  std::uint64_t Queued() const { return written_ + Pending(); }
  // A run of queued bytes by stream position, end excluded.
  struct Span {
    std::uint64_t begin = 0, end = 0;
  };
  // Takes the runs back out of the write buffer, closing the gaps. The runs are
  // in stream order, apart, and none of their bytes was handed to the socket.
  void Unqueue(std::span<const Span> runs);

  // Moves what the socket holds into the read buffer (at most one frame's
  // worth of room beyond what is buffered). False when the peer closed the
  // connection or it failed. It moves and overwrites the frames already
  // taken, so none may still be lent out (see lent).
  bool ReadAvailable();
  // Hands buffered bytes to the socket. False when the connection failed.
  bool WriteAvailable();
  // The next complete frame of the read buffer.
  ParseStatus NextFrame(Frame& out);
  // The next frame when it is a Data frame, its payload valid until the next
  // read (ParseDataFrame).
  ParseStatus NextData(DataView& out);

  // Received messages elsewhere whose bytes are still those of this read
  // buffer; their owner copies them out before the next read or the end of
  // the connection.
  std::size_t lent = 0;

 private:
  // Frees the front of the write buffer that the socket has taken, once it is
  // the larger part.
  void DropWritten();

  Fd fd_;
  std::vector<std::uint8_t> in_;  // holds inStart_ .. inEnd_; its size is only room
  std::size_t inStart_ = 0;
  std::size_t inEnd_ = 0;
  std::vector<std::uint8_t> out_;
  std::size_t outStart_ = 0;
  std::uint64_t written_ = 0;
};

}  // namespace hvm

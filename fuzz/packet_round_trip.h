#pragma once
// The check every packet codec's target makes: an image at least the packet's
// size always reads, a shorter one may be refused, and what reads builds again
// into an image that reads back to the same fields (`same` says which count).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

template <class Packet>
void RoundTrip(std::span<const std::uint8_t> image, std::size_t size, bool (*same)(const Packet&, const Packet&)) {
  Packet p;
  if (!Packet::Parse(image, &p)) {
    if (image.size() >= size) std::abort();
    return;
  }
  Packet again;
  const auto built = p.Build();
  if (!Packet::Parse(built.bytes, &again) || !same(p, again)) std::abort();
}

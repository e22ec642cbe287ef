#pragma once
// A packet's fixed fields named once: a codec describes them in one generic
// function `fields(packet, io)` that calls, for each field at its offset,
//   io.Field(at, member)          a little-endian number,
//   io.Byte(at, member)           a wider number that travels as one byte,
//   io.Text(at, width, member)    a FixedText field of `width` bytes,
//   io.Each(at, stride, array)    an array's numbers, `stride` bytes apart,
// and BuildFields and ParseFields walk that one list, the builder putting
// each field and the reader taking each back. A field outside the image is
// neither written nor read. Plain functions: any thread.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Game/rules/GRulesPackets.h"
#include "platform/core/bytes.h"

template <std::size_t N>
class PacketFieldPutter {
 public:
  explicit PacketFieldPutter(PacketImage<N>& image) : m_image(image) {}

  template <plat::LEField T>
  void Field(std::size_t at, const T& value) {
    m_image.Put(at, value);
  }
  template <plat::LEField T>
  void Byte(std::size_t at, const T& value) {
    m_image.Put(at, static_cast<std::uint8_t>(value));
  }
  void Text(std::size_t at, std::size_t width, const std::string& text) { m_image.SetText(at, width, text); }
  template <class Array>
  void Each(std::size_t at, std::size_t stride, const Array& values) {
    for (const auto& value : values) {
      Field(at, value);
      at += stride;
    }
  }

 private:
  PacketImage<N>& m_image;
};

class PacketFieldGetter {
 public:
  explicit PacketFieldGetter(std::span<const std::uint8_t> image) : m_image(image), m_reader(image) {}

  template <plat::LEField T>
  void Field(std::size_t at, T& value) const {
    m_reader.ReadAt(at, value);
  }
  template <plat::LEField T>
  void Byte(std::size_t at, T& value) const {
    std::uint8_t wire = 0;
    if (m_reader.ReadAt(at, wire)) value = wire;
  }
  void Text(std::size_t at, std::size_t width, std::string& text) const {
    plat::ByteReader field(m_image, at);
    plat::FixedText::Read(field, width, text);
  }
  template <class Array>
  void Each(std::size_t at, std::size_t stride, Array& values) const {
    for (auto& value : values) {
      Field(at, value);
      at += stride;
    }
  }

 private:
  std::span<const std::uint8_t> m_image;
  plat::ByteReader m_reader;
};

// A place whose asteroid travels as a byte, then its x, y and z from `at` + 2.
template <class Io, class Place>
void NarrowLocationFields(Io& io, std::size_t at, Place& place) {
  io.Byte(at, place.asteroid);
  io.Field(at + 2, place.x);
  io.Field(at + 4, place.y);
  io.Field(at + 6, place.z);
}

// The packet of N bytes and `type` holding `packet`'s fields as `fields` lays them out.
template <std::size_t N, class Packet, class Fields>
PacketImage<N> BuildFields(std::uint16_t type, const Packet& packet, const Fields& fields) {
  PacketImage<N> image(type);
  PacketFieldPutter<N> put(image);
  fields(packet, put);
  return image;
}

// Reads `fields` from `image` into `out`; false, with `out` untouched, when
// the image is shorter than N bytes.
template <std::size_t N, class Packet, class Fields>
bool ParseFields(std::span<const std::uint8_t> image, Packet* out, const Fields& fields) {
  if (image.size() < N) return false;
  const PacketFieldGetter get(image);
  fields(*out, get);
  return true;
}

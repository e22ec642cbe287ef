// The guilds' hulls, x forward, y to port, z up, in the lines of the guilds'
// 2D ship pictures: Ember ships are swept arrowheads, Verdant ones rounded
// seed pods, Talon ones forked claws, Aurum ones blocky hulls inside a ring,
// Facet ones cut crystals. Heavier classes grow longer and carry side pods and
// more engines; stations are squat. Faces of material 0 are plates, of
// material 1 the guild's trim (spines, fins, rings, engines), which the unit
// pictures colour with the guild's glow.
#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/content3d/content3d.h"

namespace content3d {
namespace {

using Outline = std::vector<std::array<float, 2>>;  // (along, across): 0 nose .. 1 stern, -1 .. 1 starboard to port

constexpr std::uint32_t kPlate = 0, kTrim = 1;

struct Frame {
  float len, half, high;  // length, half beam, half height
  float x0;               // x of the nose
  // A point of an outline to the hull's axes.
  std::array<float, 2> At(const std::array<float, 2>& p) const { return {x0 - p[0] * len, p[1] * half}; }
};

std::uint32_t Vertex(Mesh* m, float x, float y, float z) {
  m->verts.push_back({x, y, z});
  return static_cast<std::uint32_t>(m->verts.size() - 1);
}

void Tri(Mesh* m, std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t material) {
  m->tris.push_back({{a, b, c}, {0, 1, 2}, material});
}

// Extrudes a convex outline of points in the hull's plane: a waist ring at
// `zMid`, a top ring at `zTop` drawn in towards the centre by `topScale` and a
// bottom ring at `zBottom` by `bottomScale`, both capped, so the sides read as
// bevels (a scale near 0 cuts a crystal's point).
void Slab(Mesh* m, std::vector<std::array<float, 2>> ring, float zBottom, float zMid, float zTop, float bottomScale,
          float topScale, std::uint32_t material) {
  double area = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const auto& a = ring[i];
    const auto& b = ring[(i + 1) % ring.size()];
    area += a[0] * b[1] - b[0] * a[1];
  }
  if (area < 0) std::reverse(ring.begin(), ring.end());  // counter-clockwise seen from above
  float cx = 0, cy = 0;
  for (const auto& p : ring) cx += p[0], cy += p[1];
  cx /= static_cast<float>(ring.size());
  cy /= static_cast<float>(ring.size());
  const auto n = static_cast<std::uint32_t>(ring.size());
  auto level = [&](float z, float scale) {
    const auto first = static_cast<std::uint32_t>(m->verts.size());
    for (const auto& p : ring) Vertex(m, cx + (p[0] - cx) * scale, cy + (p[1] - cy) * scale, z);
    return first;
  };
  const std::uint32_t bottom = level(zBottom, bottomScale), mid = level(zMid, 1.f), top = level(zTop, topScale);
  const std::uint32_t up = Vertex(m, cx, cy, zTop), down = Vertex(m, cx, cy, zBottom);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t j = (i + 1) % n;
    Tri(m, up, top + i, top + j, material);
    Tri(m, down, bottom + j, bottom + i, material);
    for (const auto& [lo, hi] : {std::pair{bottom, mid}, std::pair{mid, top}}) {
      Tri(m, lo + i, lo + j, hi + j, material);
      Tri(m, lo + i, hi + j, hi + i, material);
    }
  }
}

// A convex outline part of the hull, from outline points.
void Part(Mesh* m, const Frame& f, const Outline& outline, float zBottom, float zTop, float bottomScale, float topScale,
          std::uint32_t material) {
  std::vector<std::array<float, 2>> ring;
  for (const auto& p : outline) ring.push_back(f.At(p));
  Slab(m, ring, zBottom, (zBottom + zTop) / 2, zTop, bottomScale, topScale, material);
}

// The same outline on both sides of the keel.
Outline Both(const Outline& port) {
  Outline out = port;
  for (auto it = port.rbegin(); it != port.rend(); ++it)
    if ((*it)[1] != 0) out.push_back({(*it)[0], -(*it)[1]});
  return out;
}

void Box(Mesh* m, float x, float y, float z, float hx, float hy, float hz, std::uint32_t material) {
  const auto first = m->tris.size();
  AppendBox(m, {x, y, z}, {hx, hy, hz});
  for (auto i = first; i < m->tris.size(); ++i) m->tris[i].material = material;
}

void Hull(Mesh* m, std::uint32_t guild, const Frame& f, bool wreck) {
  const float h = f.high;
  switch (guild) {
    case 0:  // arrowhead: a ridged dart with thin swept wings and a spine
      Part(m, f, Both({{0, 0}, {0.5f, 0.35f}, {1, 0.25f}}), -h, h, 0.6f, 0.35f, kPlate);
      for (const float side : {1.f, -1.f}) {
        if (wreck && side < 0) continue;  // a wing shot away
        Part(m, f, {{0.35f, side * 0.15f}, {0.98f, side * 1.f}, {0.95f, side * 0.15f}}, -h * 0.35f, h * 0.1f, 1.f, 0.9f,
             kPlate);
        if (!wreck)
          Part(m, f, {{0.9f, side * 0.8f}, {0.98f, side * 1.f}, {0.95f, side * 0.75f}}, -h * 0.4f, h * 0.15f, 1.f, 1.f,
               kTrim);
      }
      if (!wreck) Part(m, f, Both({{0.15f, 0}, {0.5f, 0.06f}, {0.85f, 0.06f}}), h * 0.3f, h * 1.25f, 1.f, 0.5f, kTrim);
      break;
    case 1:  // seed pod: one rounded hull, fuller aft, with a dorsal fin
    {
      Outline pod;
      for (int k = 0; k <= 8; ++k) {
        const float a = 3.1415926f * static_cast<float>(k) / 8.f;
        const float across = k == 0 || k == 8 ? 0.f : 0.95f * std::sin(a) * (0.75f + 0.25f * std::sin(a * 0.5f + 0.8f));
        pod.push_back({0.5f - 0.5f * std::cos(a), across});
      }
      Part(m, f, Both(pod), -h * 1.2f, h * 1.3f, 0.55f, 0.45f, kPlate);
      if (!wreck) {
        Part(m, f, Both({{0.35f, 0}, {0.8f, 0.04f}, {0.95f, 0.04f}}), h * 0.8f, h * 2.2f, 1.f, 0.55f, kTrim);
        // A band across the beam, standing proud of the pod.
        Part(m, f, Both({{0.6f, 0}, {0.6f, 0.98f}, {0.67f, 0.98f}, {0.67f, 0}}), -h * 0.5f, h * 0.5f, 1.f, 1.f, kTrim);
      }
      break;
    }
    case 2:  // claw: two prongs forward around a narrow spine
      Part(m, f, Both({{0.18f, 0}, {0.3f, 0.25f}, {0.9f, 0.35f}, {1, 0.3f}}), -h, h, 0.7f, 0.6f, kPlate);
      for (const float side : {1.f, -1.f}) {
        if (wreck && side > 0) continue;  // a prong broken off
        Part(m, f, {{0, side * 0.55f}, {0.45f, side * 0.8f}, {0.6f, side * 0.3f}, {0.3f, side * 0.25f}}, -h * 0.7f,
             h * 0.7f, 0.6f, 0.6f, kPlate);
        if (!wreck)
          Part(m, f, {{0, side * 0.55f}, {0.12f, side * 0.64f}, {0.1f, side * 0.48f}}, -h * 0.8f, h * 0.8f, 0.8f, 0.8f,
               kTrim);
      }
      break;
    case 3:  // block: a broad squared hull with a nose block, inside a ring
    {
      Part(m, f, Both({{0, 0.3f}, {0.2f, 0.45f}, {0.4f, 0.45f}}), -h * 0.8f, h * 0.8f, 0.9f, 0.85f, kPlate);
      Part(m, f, Both({{0.3f, 1}, {0.85f, 1}, {1, 0.5f}}), -h * 1.1f, h * 1.1f, 0.9f, 0.85f, kPlate);
      // The ring stands across the hull at mid-length: twelve plates about the keel.
      const float x = f.x0 - 0.55f * f.len, r = std::max(f.half * 1.35f, h * 2.2f);
      for (int k = 0; k < 12; ++k) {
        if (wreck && k < 4) continue;
        const float a = 6.2831853f * static_cast<float>(k) / 12.f;
        const float seg = r * 0.27f;
        // Each plate a box turned to the ring's tangent, as a slab in its own plane.
        const float cy = r * std::cos(a), cz = r * std::sin(a);
        const float ty = -std::sin(a), tz = std::cos(a);
        const float ny = std::cos(a), nz = std::sin(a);
        const float w = 0.07f * f.len, t = r * 0.06f;
        const auto first = static_cast<std::uint32_t>(m->verts.size());
        for (int i = 0; i < 8; ++i) {
          const float sx = (i & 1) ? w : -w, st = (i & 2) ? seg : -seg, sn = (i & 4) ? t : -t;
          Vertex(m, x + sx, cy + st * ty + sn * ny, cz + st * tz + sn * nz);
        }
        static constexpr std::uint32_t kSides[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                                                       {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
        for (const auto& s : kSides) {
          Tri(m, first + s[0], first + s[1], first + s[2], kTrim);
          Tri(m, first + s[0], first + s[2], first + s[3], kTrim);
        }
      }
      // The ring's struts to the hull.
      if (!wreck) {
        Box(m, x, 0, (r + h) / 2, 0.04f * f.len, 0.03f * f.len, (r - h) / 2, kPlate);
        Box(m, x, 0, -(r + h) / 2, 0.04f * f.len, 0.03f * f.len, (r - h) / 2, kPlate);
      }
      break;
    }
    default:  // crystal: a long cut diamond, pointed above and below, with a shard on its back
      Part(m, f, Both({{0, 0}, {0.3f, 0.6f}, {0.55f, 1}, {1, 0.4f}}), -h * 1.6f, h * 1.6f, 0.18f, 0.18f, kPlate);
      if (!wreck) Part(m, f, Both({{0.4f, 0}, {0.6f, 0.15f}, {0.8f, 0}}), h * 0.6f, h * 2.6f, 1.f, 0.15f, kTrim);
      break;
  }
}

}  // namespace

Mesh MakeHullMesh(std::uint32_t guild, std::uint32_t unitClass) {
  guild %= 5;
  const bool wreck = unitClass >= 11;
  const bool station = unitClass == 1 || unitClass == 2;
  // The wreck is what is left of a destroyer.
  const float size = wreck ? 8.f : static_cast<float>(unitClass);
  Frame f{};
  if (station) {
    f.len = 1.0f + 0.1f * size;
    f.half = f.len * 0.5f;
    f.high = f.len * 0.22f;
  } else {
    f.len = 1.2f + 0.14f * size;
    f.half = f.len * (0.15f + 0.017f * size) / (0.5f + 0.035f * size);
    // Deep enough that a hull seen from the side is more than a line.
    f.high = f.len * 0.13f;
  }
  f.x0 = f.len / 2;
  Mesh m;
  m.uvs = {{0, 0}, {1, 0}, {1, 1}};
  Hull(&m, guild, f, wreck);
  // A station's docking tower, tall on the armed one, which carries guns.
  if (station) {
    const float tower = f.high * (unitClass == 2 ? 3.2f : 2.4f);
    Box(&m, -f.len * 0.1f, 0, tower / 2, f.len * 0.06f, f.len * 0.06f, tower / 2, kPlate);
    Box(&m, -f.len * 0.1f, 0, tower, f.len * 0.1f, f.len * 0.1f, f.len * 0.03f, kTrim);
    if (unitClass == 2)
      for (const float side : {1.f, -1.f})
        Box(&m, f.len * 0.1f, side * f.half * 0.6f, f.high * 1.6f, f.len * 0.12f, f.len * 0.02f, f.len * 0.02f, kTrim);
    return m;
  }
  // Side pods: one pair from the destroyers up, two on battleships.
  const int pods = wreck ? 1 : size >= 10 ? 2 : size >= 8 ? 1 : 0;
  for (int i = 0; i < pods; ++i) {
    const float px = f.x0 - f.len * (0.55f + 0.18f * static_cast<float>(i));
    const float py = f.half * (1.05f + 0.25f * static_cast<float>(i));
    for (const float side : {1.f, -1.f}) {
      if (wreck && side > 0) continue;
      Box(&m, px, side * py, -f.high * 0.2f, f.len * 0.15f, f.half * 0.09f, f.high * 0.6f, kPlate);
    }
  }
  if (wreck) return m;
  // Engines: one more for each four classes.
  const int engines = 1 + static_cast<int>(size) / 4;
  for (int i = 0; i < engines; ++i) {
    const float y = (static_cast<float>(i) - static_cast<float>(engines - 1) / 2.f) * f.half * 0.45f;
    Box(&m, -f.len / 2 - f.len * 0.03f, y, 0, f.len * 0.04f, f.half * 0.12f, f.high * 0.55f, kTrim);
  }
  return m;
}

}  // namespace content3d

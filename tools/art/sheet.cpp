#include "tools/art/sheet.h"

#include <algorithm>
#include <stdexcept>

#include "tools/art/canvas.h"

namespace art {

void WriteContactSheet(const std::vector<SheetEntry>& entries, const std::string& title,
                       const std::filesystem::path& png) {
  constexpr int kCellW = 168, kCellH = 150, kPicW = 160, kPicH = 124, kColumns = 8, kTop = 40;
  const int rows = std::max<int>(1, static_cast<int>((entries.size() + kColumns - 1) / kColumns));
  Canvas sheet(kColumns * kCellW, kTop + rows * kCellH);
  cairo_t* cr = sheet.cr();
  sheet.Colour({0.12, 0.12, 0.14});
  cairo_paint(cr);
  sheet.Text(title + " (" + std::to_string(entries.size()) + ")", 0, 4, sheet.width(), 32, {1, 1, 1}, 22);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Pixels& p = *entries[i].pixels;
    const int cx = static_cast<int>(i % kColumns) * kCellW, cy = kTop + static_cast<int>(i / kColumns) * kCellH;
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, p.width, p.height);
    unsigned char* data = cairo_image_surface_get_data(img);
    const int stride = cairo_image_surface_get_stride(img);
    for (int y = 0; y < p.height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
      for (int x = 0; x < p.width; ++x) {
        const std::uint32_t v = p.argb[static_cast<std::size_t>(y) * p.width + x];
        const std::uint32_t a = v >> 24;  // back to cairo's premultiplied form
        auto mul = [&](int shift) { return (((v >> shift) & 0xFF) * a / 255) << shift; };
        row[x] = (a << 24) | mul(16) | mul(8) | mul(0);
      }
    }
    cairo_surface_mark_dirty(img);
    const double scale = std::min({1.0, static_cast<double>(kPicW) / p.width, static_cast<double>(kPicH) / p.height});
    const double dw = p.width * scale, dh = p.height * scale;
    const double ox = cx + (kCellW - dw) / 2, oy = cy + 4 + (kPicH - dh) / 2;
    sheet.Colour({0.3, 0.3, 0.33});  // a chequer shows transparent cursor pixels
    cairo_rectangle(cr, ox - 1, oy - 1, dw + 2, dh + 2);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, ox, oy);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), scale < 1 ? CAIRO_FILTER_GOOD : CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(img);
    sheet.Text(entries[i].name, cx + 2, cy + kPicH + 6, kCellW - 4, 18, {0.85, 0.85, 0.85}, 12, false);
  }
  cairo_surface_t* target = cairo_get_target(cr);
  cairo_surface_flush(target);
  if (cairo_surface_write_to_png(target, png.string().c_str()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot write " + png.string());
  }
}

}  // namespace art

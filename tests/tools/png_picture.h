#pragma once
// A PNG picture read with cairo and the box of its ink (the pixels that are
// not near white): what a page of a rendered preview looks like.
#include <cairo.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace velmora::testing {

struct InkBox {
  bool any = false;
  int left = 0, top = 0, right = 0, bottom = 0;  // inclusive pixel positions
};

struct Picture {
  int width = 0, height = 0;
  InkBox box;
  InkBox Ink() const { return box; }
};

inline Picture ReadPng(const std::string& path) {
  Picture picture;
  cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(image);
    picture.width = cairo_image_surface_get_width(image);
    picture.height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const bool alpha = cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32;
    InkBox& box = picture.box;
    for (int y = 0; y < picture.height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
      for (int x = 0; x < picture.width; ++x) {
        const std::uint32_t p = row[x];
        const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff, a = alpha ? (p >> 24) : 0xff;
        if (a < 128 || (r > 200 && g > 200 && b > 200)) continue;
        if (!box.any) box = {true, x, y, x, y};
        box.left = std::min(box.left, x), box.right = std::max(box.right, x);
        box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
      }
    }
  }
  cairo_surface_destroy(image);
  return picture;
}

}  // namespace velmora::testing

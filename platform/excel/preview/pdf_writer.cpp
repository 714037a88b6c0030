#include "excel/preview/pdf_writer.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

#include "excel/preview/cell_text.h"
#include "excel/preview/page_layout.h"

namespace excel::preview {

namespace {

// The standard font of the workbooks: an 11-point Song face. AR PL UMing
// (fonts-arphic-uming) is a Song (Ming) face with TrueType outlines; Noto
// Serif CJK stands in where it is missing. (cairo 1.16 loses memory with
// every PDF that embeds a CFF font such as Noto CJK.)
constexpr char kFontFamily[] = "AR PL UMing CN,Noto Serif CJK SC,serif";
constexpr double kFontPoints = 11;
constexpr double kPadding = 1.5;      // between a cell's edge and its text
constexpr double kBaselineLift = 2.5;  // the baseline above the cell's bottom edge

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct ObjectDeleter {
  void operator()(void* o) const { g_object_unref(o); }
};
struct FontDeleter {
  void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};
struct FontOptionsDeleter {
  void operator()(cairo_font_options_t* f) const { cairo_font_options_destroy(f); }
};

// Once a print has been made, cairo's and fontconfig's process-wide caches
// are let go when the process ends (every print's own objects are gone by
// then), so that a leak check at exit sees only what is really lost.
void ReleaseFontCachesAtExit() {
  static const bool registered = std::atexit([] {
    cairo_debug_reset_static_data();
    FcFini();
  }) == 0;
  (void)registered;
}

struct Rect {
  double x0, y0, x1, y1;
  bool Meets(const Rect& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

// One printed cell or merged range.
struct Box {
  Rect rect;        // in the area's unscaled points
  double clip_x1;   // text may run on to here (over empty neighbours)
  CellText text;
  int color_index;  // its fill; kColorIndexNone for none
};

const Area* MergeAt(const std::vector<Area>& merges, int row, int column) {
  for (const Area& m : merges)
    if (m.first_row <= row && row <= m.last_row && m.first_column <= column && column <= m.last_column) return &m;
  return nullptr;
}

std::vector<Box> Boxes(const xlsx::Worksheet& sheet, const PageLayout& layout) {
  const std::vector<Area> merges = MergedAreas(sheet);
  auto empty_at = [&](int row, int column) {
    return MergeAt(merges, row, column) == nullptr && DisplayedText(sheet, row, column).text.empty();
  };
  std::vector<Box> boxes;
  for (const auto& [row, row_data] : sheet.rows()) {
    if (row < layout.first_row || row > layout.last_row) continue;
    for (const auto& [column, cell] : row_data.cells) {
      if (column < layout.first_column || column > layout.last_column) continue;
      Area area{row, column, row, column};
      if (const Area* merge = MergeAt(merges, row, column)) {
        if (merge->first_row != row || merge->first_column != column) continue;  // the top-left cell speaks for it
        area = *merge;
        area.last_row = std::min(area.last_row, layout.last_row);
        area.last_column = std::min(area.last_column, layout.last_column);
      }
      Box box{{layout.X(area.first_column), layout.Y(area.first_row), layout.X(area.last_column + 1),
               layout.Y(area.last_row + 1)},
              0, DisplayedText(sheet, row, column), sheet.ColorIndex(row, column)};
      box.clip_x1 = box.rect.x1;
      if (area.first_column == area.last_column && area.first_row == area.last_row && box.text.align == Align::Left) {
        for (int next = column + 1; next <= layout.last_column && empty_at(row, next); ++next)
          box.clip_x1 = layout.X(next + 1);
      }
      if (box.text.text.empty() && (box.color_index == xlsx::kColorIndexNone || box.color_index == 0)) continue;
      boxes.push_back(std::move(box));
    }
  }
  return boxes;
}

void Fill(cairo_t* cr, const Box& box) {
  if (box.color_index == xlsx::kColorIndexNone || box.color_index == 0) return;
  const std::uint32_t rgb = xlsx::PaletteColor(box.color_index);
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0);
  cairo_rectangle(cr, box.rect.x0, box.rect.y0, box.rect.x1 - box.rect.x0, box.rect.y1 - box.rect.y0);
  cairo_fill(cr);
}

void Write(cairo_t* cr, PangoLayout* text_layout, const Box& box) {
  if (box.text.text.empty()) return;
  pango_layout_set_text(text_layout, box.text.text.c_str(), static_cast<int>(box.text.text.size()));
  PangoRectangle logical;
  pango_layout_get_extents(text_layout, nullptr, &logical);
  const double width = static_cast<double>(logical.width) / PANGO_SCALE;
  const double baseline = static_cast<double>(pango_layout_get_baseline(text_layout)) / PANGO_SCALE;
  double x = box.rect.x0 + kPadding;
  if (box.text.align == Align::Right) x = box.rect.x1 - kPadding - width;
  if (box.text.align == Align::Center) x = (box.rect.x0 + box.rect.x1 - width) / 2;
  cairo_save(cr);
  cairo_rectangle(cr, box.rect.x0, box.rect.y0, box.clip_x1 - box.rect.x0, box.rect.y1 - box.rect.y0);
  cairo_clip(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, x, box.rect.y1 - kBaselineLift - baseline);
  pango_cairo_show_layout(cr, text_layout);
  cairo_restore(cr);
}

void Check(cairo_status_t status, const std::string& path) {
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("the print preview cannot be written to " + path + ": " + cairo_status_to_string(status));
}

}  // namespace

void WritePdf(const xlsx::Worksheet& sheet, const std::string& path) {
  const PageLayout layout = LayOut(sheet);
  const std::vector<Box> boxes = Boxes(sheet, layout);
  ReleaseFontCachesAtExit();

  std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
      cairo_pdf_surface_create(path.c_str(), layout.paper.width, layout.paper.height));
  Check(cairo_surface_status(surface.get()), path);
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, sheet.name().c_str());
  std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
  cairo_t* cr = context.get();
  Check(cairo_status(cr), path);

  // A font map of this print's own: what it caches goes with it.
  std::unique_ptr<PangoFontMap, ObjectDeleter> font_map(pango_cairo_font_map_new());
  std::unique_ptr<PangoFontDescription, FontDeleter> font(pango_font_description_from_string(kFontFamily));
  pango_font_description_set_absolute_size(font.get(), kFontPoints * PANGO_SCALE);
  std::unique_ptr<cairo_font_options_t, FontOptionsDeleter> options(cairo_font_options_create());
  cairo_font_options_set_hint_metrics(options.get(), CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options.get(), CAIRO_HINT_STYLE_NONE);

  for (const Page& page : layout.pages) {
    cairo_save(cr);
    cairo_translate(cr, page.left, page.top);
    cairo_scale(cr, layout.scale, layout.scale);
    if (page.last_row >= page.first_row && page.last_column >= page.first_column) {
      const Rect shown{layout.X(page.first_column), layout.Y(page.first_row), layout.X(page.last_column + 1),
                       layout.Y(page.last_row + 1)};
      cairo_translate(cr, -shown.x0, -shown.y0);
      cairo_rectangle(cr, shown.x0, shown.y0, shown.x1 - shown.x0, shown.y1 - shown.y0);
      cairo_clip(cr);
      std::unique_ptr<PangoContext, ObjectDeleter> text_context(pango_font_map_create_context(font_map.get()));
      pango_cairo_update_context(cr, text_context.get());
      pango_cairo_context_set_font_options(text_context.get(), options.get());
      std::unique_ptr<PangoLayout, ObjectDeleter> text_layout(pango_layout_new(text_context.get()));
      pango_layout_set_font_description(text_layout.get(), font.get());
      pango_layout_set_single_paragraph_mode(text_layout.get(), TRUE);
      for (const Box& box : boxes)
        if (box.rect.Meets(shown)) Fill(cr, box);
      for (const Box& box : boxes)
        if (Rect{box.rect.x0, box.rect.y0, box.clip_x1, box.rect.y1}.Meets(shown)) Write(cr, text_layout.get(), box);
    }
    cairo_restore(cr);
    cairo_show_page(cr);
  }
  Check(cairo_status(cr), path);
  context.reset();
  cairo_surface_finish(surface.get());
  Check(cairo_surface_status(surface.get()), path);
}

}  // namespace excel::preview

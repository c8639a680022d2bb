#include "DjvuReference.h"

#include <libdjvu/ddjvuapi.h>

#include <memory>

namespace leaf::test {

namespace {

void Drain(ddjvu_context_t* context) {
  while (ddjvu_message_peek(context)) ddjvu_message_pop(context);
}

ddjvu_render_mode_t ModeOf(ReferenceMode mode) {
  switch (mode) {
    case ReferenceMode::kColor: return DDJVU_RENDER_COLOR;
    case ReferenceMode::kMask: return DDJVU_RENDER_MASKONLY;
    case ReferenceMode::kBackground: return DDJVU_RENDER_BACKGROUND;
    case ReferenceMode::kForeground: return DDJVU_RENDER_FOREGROUND;
  }
  return DDJVU_RENDER_COLOR;
}

}  // namespace

ReferenceImage RenderReference(const std::string& path, int subsample, ReferenceMode mode,
                               bool gray, int pageNumber) {
  ReferenceImage image;
  std::unique_ptr<ddjvu_context_t, void (*)(ddjvu_context_t*)> context(
      ddjvu_context_create("leafsmith-test"), ddjvu_context_release);
  ddjvu_document_t* document = ddjvu_document_create_by_filename(context.get(), path.c_str(), 0);
  if (!document) return image;
  while (!ddjvu_document_decoding_done(document))
    ddjvu_message_wait(context.get()), Drain(context.get());
  ddjvu_page_t* page = ddjvu_page_create_by_pageno(document, pageNumber);
  while (page && !ddjvu_page_decoding_done(page))
    ddjvu_message_wait(context.get()), Drain(context.get());
  if (page && !ddjvu_page_decoding_error(page)) {
    const int w = ddjvu_page_get_width(page), h = ddjvu_page_get_height(page);
    ddjvu_rect_t rect = {0, 0, static_cast<unsigned>((w + subsample - 1) / subsample),
                         static_cast<unsigned>((h + subsample - 1) / subsample)};
    ddjvu_format_t* format =
        ddjvu_format_create(gray ? DDJVU_FORMAT_GREY8 : DDJVU_FORMAT_RGB24, 0, nullptr);
    ddjvu_format_set_row_order(format, 1);
    image.width = static_cast<int>(rect.w);
    image.height = static_cast<int>(rect.h);
    image.channels = gray ? 1 : 3;
    image.rows.resize(static_cast<size_t>(image.width) * image.height * image.channels);
    if (!ddjvu_page_render(page, ModeOf(mode), &rect, &rect, format,
                           static_cast<unsigned long>(image.width) * image.channels,
                           reinterpret_cast<char*>(image.rows.data()))) {
      image = ReferenceImage{};
    }
    ddjvu_format_release(format);
  }
  if (page) ddjvu_page_release(page);
  ddjvu_document_release(document);
  Drain(context.get());
  return image;
}

}  // namespace leaf::test

// The gdk-pixbuf loader that lets GTK applications (and the thumbnailer)
// open WSQ files: the codestream is collected whole, then decoded into an
// RGB pixbuf with its resolution and comment as options.
#define GDK_PIXBUF_ENABLE_BACKEND
#include <gdk-pixbuf/gdk-pixbuf-io.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#undef GDK_PIXBUF_ENABLE_BACKEND

#include <climits>
#include <cstdio>
#include <string>
#include <vector>
#include <wsq/wsq.h>

namespace {

struct LoadContext {
  GdkPixbufModuleSizeFunc size_func;
  GdkPixbufModulePreparedFunc prepared_func;
  GdkPixbufModuleUpdatedFunc updated_func;
  gpointer user_data;
  std::vector<uint8_t> bytes;
};

void set_error(GError** error, int code, const char* text) {
  g_set_error_literal(error, GDK_PIXBUF_ERROR, code, text);
}

// The decoded image as a new pixbuf, or null with `error` set.
GdkPixbuf* decode_to_pixbuf(const std::vector<uint8_t>& bytes, GError** error) {
  wsq::Options options;
  options.messages = [](std::string_view) {};
  wsq::Image image;
  const wsq::Error status = wsq::decode(bytes, image, options);
  if (status != wsq::Error::ok) {
    set_error(error, GDK_PIXBUF_ERROR_CORRUPT_IMAGE, wsq::error_text(status));
    return nullptr;
  }
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, image.width, image.height);
  if (pixbuf == nullptr) {
    set_error(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, "not enough memory for the image");
    return nullptr;
  }
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  guchar* rows = gdk_pixbuf_get_pixels(pixbuf);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* source = image.pixels.data() + static_cast<size_t>(y) * image.width;
    guchar* out = rows + static_cast<size_t>(y) * stride;
    for (int x = 0; x < image.width; ++x, out += 3) out[0] = out[1] = out[2] = source[x];
  }
  if (image.ppi > 0) {
    const std::string dpi = std::to_string(image.ppi);
    gdk_pixbuf_set_option(pixbuf, "x-dpi", dpi.c_str());
    gdk_pixbuf_set_option(pixbuf, "y-dpi", dpi.c_str());
  }
  if (!image.comments.empty() && g_utf8_validate(image.comments.back().c_str(), -1, nullptr)) {
    gdk_pixbuf_set_option(pixbuf, "comment", image.comments.back().c_str());
  }
  return pixbuf;
}

gpointer begin_load(GdkPixbufModuleSizeFunc size_func, GdkPixbufModulePreparedFunc prepared_func,
                    GdkPixbufModuleUpdatedFunc updated_func, gpointer user_data, GError**) {
  return new LoadContext{size_func, prepared_func, updated_func, user_data, {}};
}

gboolean load_increment(gpointer data, const guchar* buffer, guint size, GError** error) {
  auto* context = static_cast<LoadContext*>(data);
  if (size > INT32_MAX - context->bytes.size()) {
    set_error(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, "the file is too large");
    return FALSE;
  }
  context->bytes.insert(context->bytes.end(), buffer, buffer + size);
  return TRUE;
}

gboolean stop_load(gpointer data, GError** error) {
  auto* context = static_cast<LoadContext*>(data);
  GdkPixbuf* pixbuf = decode_to_pixbuf(context->bytes, error);
  const bool loaded = pixbuf != nullptr;
  if (loaded) {
    int width = gdk_pixbuf_get_width(pixbuf);
    int height = gdk_pixbuf_get_height(pixbuf);
    // The caller may ask for a different size; the full image is given and
    // the caller scales it. A size of 0 means it wants no pixels.
    if (context->size_func != nullptr) context->size_func(&width, &height, context->user_data);
    if (width != 0 && height != 0) {
      if (context->prepared_func != nullptr) {
        context->prepared_func(pixbuf, nullptr, context->user_data);
      }
      if (context->updated_func != nullptr) {
        context->updated_func(pixbuf, 0, 0, gdk_pixbuf_get_width(pixbuf),
                              gdk_pixbuf_get_height(pixbuf), context->user_data);
      }
    }
    g_object_unref(pixbuf);
  }
  delete context;
  return loaded;
}

GdkPixbuf* load(FILE* file, GError** error) {
  std::vector<uint8_t> bytes;
  unsigned char chunk[65536];
  size_t read = 0;
  while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    if (read > INT32_MAX - bytes.size()) {
      set_error(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY, "the file is too large");
      return nullptr;
    }
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
  if (std::ferror(file)) {
    set_error(error, GDK_PIXBUF_ERROR_FAILED, "the file cannot be read");
    return nullptr;
  }
  return decode_to_pixbuf(bytes, error);
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void fill_vtable(GdkPixbufModule* module) {
  module->load = load;
  module->begin_load = begin_load;
  module->stop_load = stop_load;
  module->load_increment = load_increment;
}

G_MODULE_EXPORT void fill_info(GdkPixbufFormat* info) {
  // SOI followed by a comment, table or frame marker.
  static GdkPixbufModulePattern signature[] = {
      {const_cast<char*>("\xff\xa0\xff\xa8"), nullptr, 100},
      {const_cast<char*>("\xff\xa0\xff\xa4"), nullptr, 100},
      {const_cast<char*>("\xff\xa0\xff\xa5"), nullptr, 100},
      {const_cast<char*>("\xff\xa0\xff\xa6"), nullptr, 100},
      {const_cast<char*>("\xff\xa0\xff\xa2"), nullptr, 100},
      {nullptr, nullptr, 0},
  };
  static gchar* mime_types[] = {const_cast<gchar*>("image/x-wsq"), nullptr};
  static gchar* extensions[] = {const_cast<gchar*>("wsq"), nullptr};
  info->name = const_cast<gchar*>("wsq");
  info->signature = signature;
  info->description = const_cast<gchar*>("WSQ fingerprint image");
  info->mime_types = mime_types;
  info->extensions = extensions;
  info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
  info->license = const_cast<gchar*>("Other");
}

}  // extern "C"

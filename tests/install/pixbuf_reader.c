/* Opens WSQ files through gdk-pixbuf alone, as a GTK application would with
   the WSQ loader in its loader cache. Arguments: the sample and a copy of it
   without its extension. Exits 1 on a failure. */
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;

static void check(int ok, const char* what) {
  printf("%s: %s\n", ok ? "ok" : "FAILED", what);
  if (!ok) ++failures;
}

static int is_grey(const GdkPixbuf* pixbuf) {
  const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < gdk_pixbuf_get_height(pixbuf); ++y) {
    const guchar* p = pixels + (size_t)y * stride;
    for (int x = 0; x < gdk_pixbuf_get_width(pixbuf); ++x, p += 3) {
      if (p[0] != p[1] || p[1] != p[2]) return 0;
    }
  }
  return 1;
}

/* The file fed to an incremental loader in small pieces. */
static GdkPixbuf* load_in_pieces(const char* path) {
  gchar* bytes = NULL;
  gsize length = 0;
  if (!g_file_get_contents(path, &bytes, &length, NULL)) return NULL;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("wsq", NULL);
  gboolean ok = loader != NULL;
  for (gsize at = 0; ok && at < length; at += 1000) {
    ok = gdk_pixbuf_loader_write(loader, (const guchar*)bytes + at, MIN(1000, length - at), NULL);
  }
  ok = loader != NULL && gdk_pixbuf_loader_close(loader, NULL) && ok;
  GdkPixbuf* pixbuf = ok ? gdk_pixbuf_loader_get_pixbuf(loader) : NULL;
  if (pixbuf != NULL) g_object_ref(pixbuf);
  if (loader != NULL) g_object_unref(loader);
  g_free(bytes);
  return pixbuf;
}

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  GError* error = NULL;
  GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(argv[1], &error);
  check(pixbuf != NULL, "the sample loads");
  if (pixbuf == NULL) {
    fprintf(stderr, "%s\n", error->message);
    return 1;
  }
  const int width = gdk_pixbuf_get_width(pixbuf);
  const int height = gdk_pixbuf_get_height(pixbuf);
  check(width >= 65 && height >= 65, "the size is a WSQ size");
  check(is_grey(pixbuf), "the pixels are grey");
  const gchar* dpi = gdk_pixbuf_get_option(pixbuf, "x-dpi");
  check(dpi != NULL && strcmp(dpi, "500") == 0, "the resolution is the sample's 500 ppi");

  GdkPixbuf* by_content = gdk_pixbuf_new_from_file(argv[2], NULL);
  check(by_content != NULL && gdk_pixbuf_get_width(by_content) == width,
        "a WSQ file without its extension loads");

  GdkPixbuf* pieces = load_in_pieces(argv[1]);
  check(pieces != NULL && gdk_pixbuf_get_width(pieces) == width &&
            memcmp(gdk_pixbuf_read_pixels(pieces), gdk_pixbuf_read_pixels(pixbuf),
                   (size_t)gdk_pixbuf_get_rowstride(pixbuf) * (height - 1) + 3 * width) == 0,
        "loading in pieces gives the same pixels");

  GdkPixbufLoader* damaged = gdk_pixbuf_loader_new_with_type("wsq", NULL);
  const guchar garbage[] = {0xff, 0xa0, 0xff, 0xa8, 0x00, 0x02, 0x12, 0x34};
  gdk_pixbuf_loader_write(damaged, garbage, sizeof garbage, NULL);
  check(!gdk_pixbuf_loader_close(damaged, NULL), "a damaged codestream is refused");
  g_object_unref(damaged);

  g_object_unref(pixbuf);
  if (by_content != NULL) g_object_unref(by_content);
  if (pieces != NULL) g_object_unref(pieces);
  return failures == 0 ? 0 : 1;
}

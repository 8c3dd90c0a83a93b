// Helpers of the viewer's tests, which run on an X display of their own
// (xvfb-run): opening it once, letting GTK work, reading saved pictures.
#ifndef TOLVA_VIEWER_SUPPORT_H
#define TOLVA_VIEWER_SUPPORT_H

#include <chrono>
#include <clocale>
#include <functional>
#include <string>
#include <thread>

#include <gtk/gtk.h>

namespace testing_support {

// True once GTK has a display; the viewer's tests fail without one.
inline bool open_test_display()
{
  static const bool opened = [] {
    bool ok = gtk_init_check(nullptr, nullptr);
    std::setlocale(LC_NUMERIC, "C");
    return ok;
  }();
  return opened;
}

// Runs GTK's pending work, including what the X server has sent back,
// until `done` holds or the time is up; the final value of `done`.
inline bool pump_until(const std::function<bool()>& done, int milliseconds = 60000)
{
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    gdk_flush();
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_window_process_all_updates();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// One pixel of a picture as 0xRRGGBB.
inline unsigned pixel_at(GdkPixbuf* picture, int x, int y)
{
  const guchar* p = gdk_pixbuf_get_pixels(picture) + y * gdk_pixbuf_get_rowstride(picture) +
                    x * gdk_pixbuf_get_n_channels(picture);
  return (unsigned(p[0]) << 16) | (unsigned(p[1]) << 8) | p[2];
}

// The brightest of the three channels: near 0 for black, 255 for white.
inline int brightness_at(GdkPixbuf* picture, int x, int y)
{
  unsigned v = pixel_at(picture, x, y);
  unsigned r = v >> 16, g = (v >> 8) & 0xff, b = v & 0xff;
  return int(r > g ? (r > b ? r : b) : (g > b ? g : b));
}

// The format GdkPixbuf reads in the file ("png", "jpeg"), or "".
inline std::string picture_format(const std::string& path, int* width = nullptr, int* height = nullptr)
{
  GdkPixbufFormat* format = gdk_pixbuf_get_file_info(path.c_str(), width, height);
  if (format == nullptr) return "";
  gchar* name = gdk_pixbuf_format_get_name(format);
  std::string result = name;
  g_free(name);
  return result;
}

}  // namespace testing_support

#endif

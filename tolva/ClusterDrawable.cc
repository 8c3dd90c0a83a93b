#include "ClusterDrawable.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <strings.h>
#include <X11/Xlib.h>

#include "Exception.h"
#include "Group.h"
#include "Messagestream.h"
#include "SignalCleanup.h"
#include "StandardOutput.h"

namespace tolva {

int HALF_ELLIPSE_PS = 2;

namespace {

XIOErrorHandler gServerLost = nullptr;

// GDK reports a lost X server and ends the process at once, skipping the
// destructors: the temporary files go first.
int server_lost(Display* display)
{
  remove_armed_files();
  return gServerLost != nullptr ? gServerLost(display) : 0;
}

}  // namespace

void ClusterDrawable::OpenDisplay()
{
  if (gtk_init_check(nullptr, nullptr)) {
    // The window writes to the X server: a server gone away is for Xlib
    // to report, as GTK has it, not a silent death by SIGPIPE. A reader of
    // standard output gone away is then found by its EPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    if (gServerLost == nullptr) gServerLost = XSetIOErrorHandler(server_lost);
    return;
  }
  // GTK's own --display option wins over the environment.
  const char* display = gdk_get_display_arg_name();
  if (display == nullptr) display = std::getenv("DISPLAY");
  CException e("Cannot open the display ");
  e << (display != nullptr ? display : "(DISPLAY is not set)") << " for the cluster viewer; -R prints the root alone.";
  throw e;
}

namespace {

bool ends_with(const std::string& name, const char* suffix)
{
  size_t n = std::strlen(suffix);
  return name.size() >= n && strcasecmp(name.c_str() + name.size() - n, suffix) == 0;
}

// Tells the user in the window and on standard error.
void report(GtkWidget* parent, const std::string& text)
{
  gOut->setLevel(2) << text.c_str() << std::endl;
  GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(parent), GTK_DIALOG_DESTROY_WITH_PARENT, GTK_MESSAGE_ERROR,
                                             GTK_BUTTONS_CLOSE, "%s", text.c_str());
  g_signal_connect_swapped(dialog, "response", G_CALLBACK(gtk_widget_destroy), dialog);
  gtk_widget_show(dialog);
}

void connect(gpointer instance, const char* signal, GCallback handler, gpointer data)
{
  g_signal_connect_data(instance, signal, handler, data, nullptr, static_cast<GConnectFlags>(0));
}

}  // namespace

ClusterDrawable::ClusterDrawable(CGroup* r)
  : window(nullptr), area(nullptr), pixmap(nullptr), menu(nullptr), root(r), redrawPending(false),
    leftMargin(40), rightMargin(40), topMargin(25), bottomMargin(15), width(0), height(0),
    scaleX(1), scaleY(-1), offsetX(0), offsetY(0),
    layoutXMin(0.0f), layoutXMax(1000.0f), layoutYMin(0.0f), layoutYMax(1000.0f),
    picked(nullptr), pickedDistance(INT_MAX), pickRadius(5)
{
  OpenDisplay();
  window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  // Closing the window destroys it before exec returns.
  g_object_add_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
  gtk_object_set_data(GTK_OBJECT(window), "window", window);
  gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
  gtk_window_set_title(GTK_WINDOW(window), "Tolva (gtk version)");
  gtk_window_set_policy(GTK_WINDOW(window), TRUE, TRUE, FALSE);
  connect(window, "delete_event", G_CALLBACK(Interface::delete_event), this);
  connect(window, "destroy", G_CALLBACK(Interface::destroy), this);
  gtk_container_set_border_width(GTK_CONTAINER(window), 0);

  area = gtk_drawing_area_new();
  gtk_widget_set_size_request(area, 400, 300);
  connect(area, "realize", G_CALLBACK(Interface::realize), this);
  connect(area, "configure_event", G_CALLBACK(Interface::configure), this);
  connect(area, "expose_event", G_CALLBACK(Interface::expose), this);
  gtk_container_add(GTK_CONTAINER(window), area);

  menu = getMenu();
  connect(area, "button_press_event", G_CALLBACK(Interface::buttonPress), this);
  gtk_widget_set_events(area, GDK_EXPOSURE_MASK | GDK_POINTER_MOTION_MASK | GDK_POINTER_MOTION_HINT_MASK |
                                  GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_KEY_PRESS_MASK |
                                  GDK_KEY_RELEASE_MASK);

  root->SetInSpace(layoutXMin, layoutYMin, layoutXMax - layoutXMin, layoutYMax - layoutYMin);
  gtk_widget_show(area);
  gtk_widget_show(window);
}

// The window and the menu hold this object as their callbacks' data: they
// go with it, so that no later event reaches a dead object and the window
// does not stay on screen, frozen, while the run goes on.
ClusterDrawable::~ClusterDrawable()
{
  if (window != nullptr) {
    g_object_remove_weak_pointer(G_OBJECT(window), reinterpret_cast<gpointer*>(&window));
    g_signal_handlers_disconnect_matched(window, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    g_signal_handlers_disconnect_matched(area, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
    gtk_widget_destroy(window);
  }
  if (menu != nullptr) gtk_widget_destroy(menu);
  if (pixmap != nullptr) g_object_unref(pixmap);
}

void ClusterDrawable::exec()
{
  // A failure while the window was being built is not left for the user
  // to find by quitting.
  if (!failure && window != nullptr) gtk_main();
  if (failure) std::rethrow_exception(failure);
}

void ClusterDrawable::fail(std::exception_ptr f)
{
  if (!failure) failure = f;
  if (gtk_main_level() > 0) gtk_main_quit();
}

GtkWidget* ClusterDrawable::getMenu()
{
  GtkAccelGroup* accelerators = gtk_accel_group_new();
  GtkItemFactory* factory = gtk_item_factory_new(GTK_TYPE_MENU, "<main>", accelerators);
  GtkItemFactoryEntry entries[] = {
    {const_cast<gchar*>("/_Save"), const_cast<gchar*>("<CTRL>S"), GtkItemFactoryCallback(Interface::saveDialog), 1,
     const_cast<gchar*>("<Item>"), nullptr},
    {const_cast<gchar*>("/"), nullptr, nullptr, 0, const_cast<gchar*>("<Separator>"), nullptr},
    {const_cast<gchar*>("/_Quit"), const_cast<gchar*>("<CTRL>Q"), GtkItemFactoryCallback(Interface::quit), 1,
     const_cast<gchar*>("<Item>"), nullptr},
  };
  gtk_item_factory_create_items(factory, sizeof entries / sizeof entries[0], entries, this);
  gtk_window_add_accel_group(GTK_WINDOW(window), accelerators);
  return gtk_item_factory_get_widget(factory, "<main>");
}

void ClusterDrawable::updateTransfo()
{
  float dx = layoutXMax - layoutXMin;
  float dy = layoutYMax - layoutYMin;
  if (dx == 0) dx = 1.0f;
  if (dy == 0) dy = 1.0f;
  scaleX = static_cast<float>(width - (leftMargin + rightMargin)) / dx;
  offsetX = leftMargin - scaleX * layoutXMin;
  scaleY = -(static_cast<float>(height - (topMargin + bottomMargin)) / dy);
  offsetY = topMargin - scaleY * layoutYMax;
}

void ClusterDrawable::recursiveDrawTree(const CGroup& group, GtkWidget* widget)
{
  GdkGC* gc = widget->style->black_gc;
  int X = pixelX(group.GetX());
  int Y = pixelY(group.GetY());
  int r = HALF_ELLIPSE_PS;
  gdk_draw_arc(pixmap, gc, TRUE, X - r, Y - r, 2 * r + 1, 2 * r + 1, 0, 360 * 64);
  if (group.IsLeaf()) return;

  char label[32];
  std::snprintf(label, sizeof label, "%.2f", group.GetDistance());
  gdk_draw_text(pixmap, gtk_style_get_font(widget->style), gc, X + 4, Y - 7, label,
                static_cast<gint>(std::strlen(label)));

  const CGroup* children[2] = {group.GetLeft(), group.GetRight()};
  for (const CGroup* child : children) {
    int cx = pixelX(child->GetX());
    int cy = pixelY(child->GetY());
    gdk_draw_line(pixmap, gc, cx, cy, X, cy);
    if (child == group.GetLeft())
      gdk_draw_line(pixmap, gc, X, cy, X, Y);
    else
      gdk_draw_line(pixmap, gc, X, Y, X, cy);
    recursiveDrawTree(*child, widget);
  }
}

void ClusterDrawable::pick(int x, int y)
{
  picked = nullptr;
  pickedDistance = INT_MAX;
  recursivePick(*root, x, y);
}

void ClusterDrawable::recursivePick(CGroup& group, int x, int y)
{
  int dx = x - pixelX(group.GetX());
  int dy = y - pixelY(group.GetY());
  int d = dx * dx + dy * dy;
  if (d < pickRadius * pickRadius && d < pickedDistance) {
    picked = &group;
    pickedDistance = d;
  }
  if (group.GetLeft() != nullptr) recursivePick(*group.GetLeft(), x, y);
  if (group.GetRight() != nullptr) recursivePick(*group.GetRight(), x, y);
}

int ClusterDrawable::buttonPress(GtkWidget* /*widget*/, GdkEvent* event)
{
  if (event->type != GDK_BUTTON_PRESS) return FALSE;
  GdkEventButton* button = &event->button;
  // Caps Lock and Num Lock are no modifiers to the user.
  const guint state = button->state & ~(GDK_LOCK_MASK | GDK_MOD2_MASK);
  switch (button->button) {
    case 1:
    case 2:
      if (button->button == 1 && state != 0) return FALSE;
      pick(static_cast<int>(button->x), static_cast<int>(button->y));
      if (picked != nullptr) {
        std::cout << *picked << std::endl;
        // A report no one can read ends the window, and the run.
        check_standard_output();
        if (button->button == 2) picked->RasmolDisplay();
      }
      return TRUE;
    case 3:
      gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr, nullptr, nullptr, button->button, button->time);
      return TRUE;
    default:
      return FALSE;
  }
}

int ClusterDrawable::configure(GtkWidget* widget, GdkEvent* /*event*/)
{
  if (pixmap != nullptr) g_object_unref(pixmap);
  width = widget->allocation.width;
  height = widget->allocation.height;
  pixmap = gdk_pixmap_new(widget->window, width, height, -1);
  redrawPending = true;
  return TRUE;
}

int ClusterDrawable::expose(GtkWidget* widget, GdkEvent* event)
{
  if (redrawPending) realize(widget);
  if (event->type != GDK_EXPOSE || pixmap == nullptr) return FALSE;
  GdkRectangle& r = event->expose.area;
  gdk_draw_drawable(widget->window, widget->style->fg_gc[GTK_WIDGET_STATE(widget)], pixmap, r.x, r.y, r.x, r.y,
                    r.width, r.height);
  return FALSE;
}

int ClusterDrawable::realize(GtkWidget* widget)
{
  // Before the first configure event there is nothing to draw on yet.
  if (pixmap == nullptr) return TRUE;
  gdk_draw_rectangle(pixmap, widget->style->white_gc, TRUE, 0, 0, widget->allocation.width,
                     widget->allocation.height);
  updateTransfo();
  recursiveDrawTree(*root, widget);
  redrawPending = false;
  return TRUE;
}

void ClusterDrawable::quit() { gtk_main_quit(); }

void ClusterDrawable::saveDialog()
{
  GtkWidget* dialog = gtk_file_selection_new("Save");
  // The dialog belongs to the viewer and closes with it.
  gtk_window_set_transient_for(GTK_WINDOW(dialog), GTK_WINDOW(window));
  gtk_window_set_destroy_with_parent(GTK_WINDOW(dialog), TRUE);
  GtkFileSelection* selection = GTK_FILE_SELECTION(dialog);
  connect(selection->ok_button, "clicked", G_CALLBACK(Interface::save), this);
  g_signal_connect_swapped(selection->ok_button, "clicked", G_CALLBACK(gtk_widget_destroy), dialog);
  g_signal_connect_swapped(selection->cancel_button, "clicked", G_CALLBACK(gtk_widget_destroy), dialog);
  gtk_file_selection_hide_fileop_buttons(selection);
  gtk_file_selection_complete(selection, "*.png");
  gtk_widget_show(dialog);
}

bool ClusterDrawable::save(const char* name)
{
  if (name == nullptr || std::strlen(name) <= 3) {
    report(window, std::string("Picture not saved: the name \"") + (name ? name : "") + "\" is too short.");
    return false;
  }
  std::string file = name;
  // OK in the dialog with no name typed gives its folder: that names no
  // picture, and ".png" added to it would make a hidden file.
  if (file.back() == '/') {
    report(window, "Picture not saved: " + file + " is a folder; give a file name.");
    return false;
  }
  // A resize replaces the pixmap; its drawing waits for the next expose.
  if (redrawPending && area != nullptr) realize(area);
  GdkPixbuf* picture =
    pixmap != nullptr ? gdk_pixbuf_get_from_drawable(nullptr, pixmap, nullptr, 0, 0, 0, 0, -1, -1) : nullptr;
  if (picture == nullptr) {
    report(window, "Picture not saved: nothing is drawn yet.");
    return false;
  }
  GError* error = nullptr;
  gboolean saved;
  if (ends_with(file, ".jpg")) {
    saved = gdk_pixbuf_save(picture, file.c_str(), "jpeg", &error, "quality", "100", nullptr);
  } else {
    if (!ends_with(file, ".png")) file += ".png";
    saved = gdk_pixbuf_save(picture, file.c_str(), "png", &error, nullptr);
  }
  g_object_unref(picture);
  if (!saved) {
    report(window, "Picture not saved to " + file + ": " + (error != nullptr ? error->message : "unknown error"));
    if (error != nullptr) g_error_free(error);
    return false;
  }
  return true;
}

namespace {

// Runs a callback body; a failure ends the main loop instead of unwinding
// through GTK's C frames.
template <typename Body>
auto guarded(void* data, Body body) -> decltype(body(*static_cast<ClusterDrawable*>(data)))
{
  ClusterDrawable& drawable = *static_cast<ClusterDrawable*>(data);
  try {
    return body(drawable);
  } catch (...) {
    drawable.fail(std::current_exception());
  }
  return decltype(body(drawable))();
}

}  // namespace

gboolean Interface::delete_event(GtkWidget*, GdkEvent*, void*)
{
  std::cout << "delete" << std::endl;
  return FALSE;
}

void Interface::destroy(GtkWidget*, void* data)
{
  guarded(data, [](ClusterDrawable& d) { d.quit(); });
}

void Interface::realize(GtkWidget* widget, void* data)
{
  guarded(data, [widget](ClusterDrawable& d) { d.realize(widget); });
}

gboolean Interface::configure(GtkWidget* widget, GdkEvent* event, void* data)
{
  return guarded(data, [=](ClusterDrawable& d) { return static_cast<gboolean>(d.configure(widget, event)); });
}

gboolean Interface::expose(GtkWidget* widget, GdkEvent* event, void* data)
{
  return guarded(data, [=](ClusterDrawable& d) { return static_cast<gboolean>(d.expose(widget, event)); });
}

gboolean Interface::buttonPress(GtkWidget* widget, GdkEvent* event, void* data)
{
  return guarded(data, [=](ClusterDrawable& d) { return static_cast<gboolean>(d.buttonPress(widget, event)); });
}

void Interface::saveDialog(void* data, unsigned, GtkWidget*)
{
  guarded(data, [](ClusterDrawable& d) { d.saveDialog(); });
}

void Interface::quit(void* data, unsigned, GtkWidget*)
{
  guarded(data, [](ClusterDrawable& d) { d.quit(); });
}

void Interface::save(GtkWidget* widget, void* data)
{
  guarded(data, [widget](ClusterDrawable& d) {
    for (GtkWidget* w = widget; w != nullptr; w = gtk_widget_get_parent(w)) {
      if (G_TYPE_CHECK_INSTANCE_TYPE(w, gtk_file_selection_get_type())) {
        d.save(gtk_file_selection_get_filename(GTK_FILE_SELECTION(w)));
        return;
      }
    }
  });
}

}  // namespace tolva

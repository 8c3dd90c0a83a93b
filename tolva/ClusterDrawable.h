// The cluster-tree viewer: a GTK 2 window that draws the dendrogram on an
// off-screen pixmap and reacts to the mouse and to a pop-up menu. A click
// prints a cluster (button 1) or also opens it in the external viewer
// (button 2); button 3 opens the menu to save the picture or quit.
#ifndef TOLVA_CLUSTERDRAWABLE_H
#define TOLVA_CLUSTERDRAWABLE_H

#include <exception>
#include <gtk/gtk.h>

namespace tolva {

class CGroup;

extern int HALF_ELLIPSE_PS;

class ClusterDrawable
{
public:
  // Opens the display (the only mode that needs one) and builds the
  // window; throws when no display can be opened.
  explicit ClusterDrawable(CGroup* root);
  // Opens the display alone, so that a run bound for the window learns
  // before its work that it has none; throws "Cannot open the display ...".
  static void OpenDisplay();
  virtual ClusterDrawable* newInstance(CGroup* root) const { return new ClusterDrawable(root); }
  // Closes the window if the user has not.
  virtual ~ClusterDrawable();

  // Runs the window until the user quits. A failure inside a callback ends
  // the loop and is rethrown here.
  void exec();

  GtkWidget* getMenu();
  void pick(int x, int y);
  void recursivePick(CGroup& group, int x, int y);
  void recursiveDrawTree(const CGroup& group, GtkWidget* widget);
  void updateTransfo();
  int buttonPress(GtkWidget* widget, GdkEvent* event);
  int configure(GtkWidget* widget, GdkEvent* event);
  int expose(GtkWidget* widget, GdkEvent* event);
  int realize(GtkWidget* widget);
  void quit();
  void saveDialog();
  // Saves the picture; false, with a message to the user, when it cannot.
  bool save(const char* name);

  // Kept for the callbacks: the first failure ends the main loop.
  void fail(std::exception_ptr failure);

  GtkWidget* getWindow() const { return window; }
  GtkWidget* getArea() const { return area; }
  GtkWidget* getPopupMenu() const { return menu; }
  CGroup* getPicked() const { return picked; }
  // The pixel at which a layout point is drawn.
  int pixelX(float x) const { return static_cast<int>(x * scaleX + offsetX); }
  int pixelY(float y) const { return static_cast<int>(y * scaleY + offsetY); }

private:
  GtkWidget* window;
  GtkWidget* area;
  GdkPixmap* pixmap;
  GtkWidget* menu;
  CGroup* root;
  bool redrawPending;
  int leftMargin, rightMargin, topMargin, bottomMargin;
  int width, height;
  float scaleX, scaleY;
  float offsetX, offsetY;
  float layoutXMin, layoutXMax, layoutYMin, layoutYMax;
  CGroup* picked;
  int pickedDistance;
  int pickRadius;
  std::exception_ptr failure;
};

// The plain functions GTK calls; each forwards to the ClusterDrawable it is
// given as user data, and keeps exceptions out of the C event loop.
struct Interface
{
  static gboolean delete_event(GtkWidget* widget, GdkEvent* event, void* data);
  static void destroy(GtkWidget* widget, void* data);
  static void realize(GtkWidget* widget, void* data);
  static gboolean configure(GtkWidget* widget, GdkEvent* event, void* data);
  static gboolean expose(GtkWidget* widget, GdkEvent* event, void* data);
  static gboolean buttonPress(GtkWidget* widget, GdkEvent* event, void* data);
  static void saveDialog(void* data, unsigned action, GtkWidget* widget);
  static void quit(void* data, unsigned action, GtkWidget* widget);
  static void save(GtkWidget* widget, void* data);
};

}  // namespace tolva

#endif

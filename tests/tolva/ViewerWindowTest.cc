// The cluster viewer in this process, on the X display of xvfb-run: the
// window is driven by synthetic events sent to its widgets.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <glob.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include <gdk/gdkkeysyms.h>

#include "ClusterDrawable.h"
#include "Exception.h"
#include "Group.h"
#include "Options.h"
#include "RmsEngine.h"
#include "TesselInit.h"
#include "TestSupport.h"
#include "Transfo.h"
#include "ViewerSupport.h"

using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;
using tolva::CGroup;
using tolva::ClusterDrawable;
using tolva::CRmsEngine;
using namespace testing_support;

namespace {

std::string example(int k)
{
  return std::string(TOLVA_SOURCE_DIR) + "/examples/1lcd-model" + std::to_string(k) + ".pdb.gz";
}

std::unique_ptr<CRmsEngine> load_examples()
{
  auto engine = std::make_unique<CRmsEngine>();
  for (int k = 1; k <= 3; ++k) engine->AddFrag(example(k).c_str());
  return engine;
}

// Leaves 0 and 1 merged at 1.0, then with leaf 2 at 2.5. Laid out in the
// box 1000 x 1000: leaves at x = 0 and y = 0, 500, 1000; the inner node at
// (400, 250); the root at (1000, 625).
struct HandTree
{
  explicit HandTree(CRmsEngine* engine)
  {
    for (int k = 0; k < 3; ++k) leaf[k] = new CGroup(0.0f, k, engine);
    inner = new CGroup(1.0f, engine, leaf[0], leaf[1]);
    root.reset(new CGroup(2.5f, engine, inner, leaf[2]));
  }
  std::unique_ptr<CGroup> root;
  CGroup* inner;
  CGroup* leaf[3];
};

GdkEventButton button_event(GtkWidget* area, int x, int y, guint button, guint state = 0,
                            GdkEventType type = GDK_BUTTON_PRESS)
{
  GdkEventButton e = {};
  e.type = type;
  e.window = area->window;
  e.send_event = TRUE;
  e.time = GDK_CURRENT_TIME;
  e.x = x;
  e.y = y;
  e.x_root = x;
  e.y_root = y;
  e.state = state;
  e.button = button;
  e.device = gdk_device_get_core_pointer();
  return e;
}

// Through the area's signal, as GTK delivers a click; the handler's answer.
bool click(ClusterDrawable& d, int x, int y, guint button, guint state = 0, GdkEventType type = GDK_BUTTON_PRESS)
{
  GdkEventButton e = button_event(d.getArea(), x, y, button, state, type);
  return gtk_widget_event(d.getArea(), reinterpret_cast<GdkEvent*>(&e));
}

std::vector<GtkWidget*> toplevels_of_type(GType type)
{
  std::vector<GtkWidget*> found;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l != nullptr; l = l->next)
    if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) && GTK_WIDGET_VISIBLE(l->data))
      found.push_back(GTK_WIDGET(l->data));
  g_list_free(all);
  return found;
}

// Runs exec with `action` as the loop's first work; a watchdog ends a loop
// that the action failed to end.
bool exec_with(ClusterDrawable& d, gboolean (*action)(gpointer))
{
  static bool timed_out;
  timed_out = false;
  g_idle_add(action, &d);
  guint watchdog = g_timeout_add(120000, [](gpointer) -> gboolean { timed_out = true; gtk_main_quit(); return FALSE; },
                                 nullptr);
  try {
    d.exec();
  } catch (...) {
    g_source_remove(watchdog);
    throw;
  }
  g_source_remove(watchdog);
  return !timed_out;
}

// A variable set for one test.
class ScopedEnv
{
public:
  ScopedEnv(const char* name, const std::string& value) : name(name)
  {
    const char* old = std::getenv(name);
    had = old != nullptr;
    if (had) previous = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv()
  {
    if (had)
      setenv(name, previous.c_str(), 1);
    else
      unsetenv(name);
  }

private:
  const char* name;
  bool had;
  std::string previous;
};

std::vector<std::string> viewer_files(const std::string& dir)
{
  std::vector<std::string> found;
  std::string pattern = dir + "/tolva-*.pdb";
  glob_t g;
  if (glob(pattern.c_str(), 0, nullptr, &g) == 0)
    for (size_t k = 0; k < g.gl_pathc; ++k) found.push_back(g.gl_pathv[k]);
  globfree(&g);
  return found;
}

}  // namespace

class ViewerWindow : public ::testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    TesselInit();
    engine = load_examples().release();
    engine->Initialize();
  }
  static void TearDownTestSuite()
  {
    delete engine;
    engine = nullptr;
  }

  void SetUp() override { ASSERT_TRUE(open_test_display()) << "needs an X display: run under xvfb-run -a"; }

  // The viewer of `root`, shown and drawn at w x h: exposed at that size,
  // when it draws the tree and takes its scales.
  static std::unique_ptr<ClusterDrawable> show(CGroup* root, int w = 480, int h = 340)
  {
    auto d = std::make_unique<ClusterDrawable>(root);
    GtkWidget* area = d->getArea();
    struct Drawn
    {
      int w, h;
      bool done;
    } drawn = {w, h, false};
    auto seen = [](GtkWidget* widget, GdkEvent*, gpointer data) -> gboolean {
      Drawn& d = *static_cast<Drawn*>(data);
      d.done = d.done || (widget->allocation.width == d.w && widget->allocation.height == d.h);
      return FALSE;
    };
    gulong exposed = g_signal_connect_after(area, "expose-event", G_CALLBACK(+seen), &drawn);
    gtk_window_resize(GTK_WINDOW(d->getWindow()), w, h);
    EXPECT_TRUE(pump_until([&] { return drawn.done; }));
    g_signal_handler_disconnect(area, exposed);
    return d;
  }

  static std::string description_of_hand_root()
  {
    return "Cluster with maximum distance of: 2.5 Angstroms.\nLMS member is unknown\n  " + example(1) + "\n  " +
           example(2) + "\n  " + example(3) + "\n\n";
  }

  static CRmsEngine* engine;
};

CRmsEngine* ViewerWindow::engine = nullptr;

TEST_F(ViewerWindow, NodesStandWhereTheMarginsAndScalesPutThem)
{
  HandTree tree(engine);
  {
    // 480 x 340: scale x = 400 / 1000, scale y = -300 / 1000, offsets 40 and 325.
    auto d = show(tree.root.get());
    EXPECT_EQ(d->pixelX(tree.root->GetX()), 440);
    EXPECT_EQ(d->pixelY(tree.root->GetY()), 137);  // 325 - 187.5
    EXPECT_EQ(d->pixelX(tree.inner->GetX()), 200);
    EXPECT_EQ(d->pixelY(tree.inner->GetY()), 250);
    int leafY[3] = {325, 175, 25};
    for (int k = 0; k < 3; ++k) {
      EXPECT_EQ(d->pixelX(tree.leaf[k]->GetX()), 40) << k;
      EXPECT_EQ(d->pixelY(tree.leaf[k]->GetY()), leafY[k]) << k;
    }
  }
  // The default 400 x 300: scales 0.32 and -0.26, offsets 40 and 285.
  auto d = show(tree.root.get(), 400, 300);
  EXPECT_EQ(d->pixelX(tree.root->GetX()), 360);
  EXPECT_EQ(d->pixelY(tree.root->GetY()), 122);
  EXPECT_EQ(d->pixelX(tree.inner->GetX()), 168);
  EXPECT_EQ(d->pixelY(tree.inner->GetY()), 220);
  EXPECT_EQ(d->pixelY(tree.leaf[0]->GetY()), 285);
  EXPECT_EQ(d->pixelY(tree.leaf[2]->GetY()), 25);
}

TEST_F(ViewerWindow, PickTakesTheNearestNodeWithinFivePixels)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  struct { int x, y; const CGroup* want; } cases[] = {
    {440, 137, tree.root.get()}, {443, 137, tree.root.get()}, {440, 140, tree.root.get()},
    {444, 140, nullptr},  // 16 + 9 = 25 is not within
    {445, 137, nullptr}, {440, 132, nullptr},
    {42, 327, tree.leaf[0]}, {200, 250, tree.inner}, {300, 300, nullptr},
  };
  for (const auto& c : cases) {
    d->pick(c.x, c.y);
    EXPECT_EQ(d->getPicked(), c.want) << c.x << "," << c.y;
  }

  // Leaves 6 pixels apart (a step of 20 layout units): the nearer wins, and
  // of two at the same distance the first in tree order.
  tree.root->SetInSpace(0, 0, 1000, 1000, 20.0f, 2.5f, 0.0f);
  ASSERT_EQ(d->pixelY(tree.leaf[0]->GetY()), 325);
  ASSERT_EQ(d->pixelY(tree.leaf[1]->GetY()), 319);
  d->pick(40, 321);
  EXPECT_EQ(d->getPicked(), tree.leaf[1]);
  d->pick(40, 323);
  EXPECT_EQ(d->getPicked(), tree.leaf[0]);
  d->pick(40, 322);
  EXPECT_EQ(d->getPicked(), tree.leaf[0]);
}

TEST_F(ViewerWindow, ButtonOneIgnoresOnlyTheLockModifiers)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  struct { guint state; bool handled; } cases[] = {
    {0, true}, {GDK_MOD2_MASK, true}, {GDK_LOCK_MASK, true}, {GDK_LOCK_MASK | GDK_MOD2_MASK, true},
    {GDK_SHIFT_MASK, false}, {GDK_CONTROL_MASK, false}, {GDK_MOD2_MASK | GDK_SHIFT_MASK, false},
    {GDK_BUTTON2_MASK, false},
  };
  for (const auto& c : cases) {
    CaptureStdout();
    bool handled = click(*d, 440, 137, 1, c.state);
    std::string out = GetCapturedStdout();
    EXPECT_EQ(handled, c.handled) << std::hex << c.state;
    EXPECT_EQ(out, c.handled ? description_of_hand_root() : "") << std::hex << c.state;
  }

  CaptureStdout();
  EXPECT_TRUE(click(*d, 300, 300, 1));  // on no node: handled, silent
  EXPECT_FALSE(click(*d, 440, 137, 1, 0, GDK_2BUTTON_PRESS));
  EXPECT_FALSE(click(*d, 440, 137, 4));
  EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(ViewerWindow, ButtonThreeOpensTheMenuAnywhere)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  GtkWidget* menu = d->getPopupMenu();
  GtkItemFactory* factory = gtk_item_factory_from_widget(menu);
  ASSERT_NE(factory, nullptr);
  EXPECT_NE(gtk_item_factory_get_item(factory, "/Save"), nullptr);
  EXPECT_NE(gtk_item_factory_get_item(factory, "/Quit"), nullptr);

  EXPECT_FALSE(GTK_WIDGET_MAPPED(menu));
  EXPECT_TRUE(click(*d, 440, 137, 3, GDK_SHIFT_MASK));
  EXPECT_TRUE(pump_until([&] { return GTK_WIDGET_MAPPED(menu); }));
  gtk_menu_popdown(GTK_MENU(menu));
}

TEST_F(ViewerWindow, DescriptionOfAPickedCluster)
{
  // The real tree of the examples: 2 and 3 merge at 1.26962, then 1 joins
  // at 1.55137; leaves in the order 1, 2, 3, the root at (1000, 375).
  auto clustered = load_examples();
  clustered->Initialize();
  // The run's own window closes as soon as it is up: -R would build the
  // tree without representatives, as nothing shows them.
  g_idle_add([](gpointer) -> gboolean { gtk_main_quit(); return FALSE; }, nullptr);
  CaptureStdout();
  clustered->Execute();
  GetCapturedStdout();
  auto d = show(const_cast<CGroup*>(clustered->GetRoot()));

  CaptureStdout();
  click(*d, 440, 212, 1);
  click(*d, 40, 325, 1);
  EXPECT_EQ(GetCapturedStdout(),
            "Cluster with maximum distance of: 1.55137 Angstroms.\nLMS member is " + example(2) + "\n  " + example(1) +
              "\n  " + example(2) + "\n  " + example(3) + "\n\n" +
              "Cluster with maximum distance of: 0 Angstroms.\nLMS member is unknown\n  " + example(1) + "\n\n");
}

TEST_F(ViewerWindow, PicturesAreTheDrawnTree)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  TempDir dir;
  ASSERT_TRUE(d->save(dir.file("tree.png").c_str()));
  int w = 0, h = 0;
  ASSERT_EQ(picture_format(dir.file("tree.png"), &w, &h), "png");
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 340);
  GdkPixbuf* png = gdk_pixbuf_new_from_file(dir.file("tree.png").c_str(), nullptr);
  ASSERT_NE(png, nullptr);

  struct { int x, y; } black[] = {
    {440, 137}, {200, 250}, {40, 325}, {40, 175}, {40, 25},  // the discs
    {39, 325}, {39, 326}, {42, 327}, {442, 138},              // X fills a 5-wide disc 4 pixels wide
    {120, 325}, {120, 175}, {200, 290}, {200, 200},           // the inner node's two children
    {300, 250}, {300, 25}, {440, 200}, {440, 80},             // the root's
  };
  for (const auto& p : black) EXPECT_EQ(pixel_at(png, p.x, p.y), 0u) << p.x << "," << p.y;
  struct { int x, y; } white[] = {
    {0, 0}, {479, 339}, {100, 300}, {300, 100}, {43, 322}, {437, 134}, {38, 325}, {40, 328}, {443, 137},
    {60, 315},  // no label beside a leaf
  };
  for (const auto& p : white) EXPECT_EQ(pixel_at(png, p.x, p.y), 0xffffffu) << p.x << "," << p.y;

  // The labels "1.00" and "2.50" stand on the baseline 7 pixels above a
  // node, from 4 pixels to its right.
  auto ink_in = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) n += pixel_at(png, x, y) == 0;
    return n;
  };
  EXPECT_GT(ink_in(204, 230, 240, 243), 10);
  EXPECT_GT(ink_in(444, 117, 479, 130), 10);
  EXPECT_EQ(ink_in(204, 252, 240, 262), 0);  // nothing below the inner node's label line
  g_object_unref(png);

  // Any case of ".jpg" gives a JPEG of quality 100: every quantiser is 1.
  ASSERT_TRUE(d->save(dir.file("tree.JPG").c_str()));
  ASSERT_EQ(picture_format(dir.file("tree.JPG"), &w, &h), "jpeg");
  EXPECT_EQ(w, 480);
  std::string jpeg = read_file(dir.file("tree.JPG"));
  size_t dqt = jpeg.find("\xff\xdb");
  ASSERT_NE(dqt, std::string::npos);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(jpeg[dqt + 5 + k], 1) << k;
  GdkPixbuf* jpg = gdk_pixbuf_new_from_file(dir.file("tree.JPG").c_str(), nullptr);
  ASSERT_NE(jpg, nullptr);
  EXPECT_LT(brightness_at(jpg, 440, 137), 40);
  EXPECT_GT(brightness_at(jpg, 300, 100), 215);
  g_object_unref(jpg);
}

TEST_F(ViewerWindow, PictureNamesAndFailures)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  TempDir dir;
  EXPECT_TRUE(d->save(dir.file("tree").c_str()));
  EXPECT_EQ(picture_format(dir.file("tree.png")), "png");
  EXPECT_TRUE(d->save(dir.file("tree.jpeg").c_str()));
  EXPECT_EQ(picture_format(dir.file("tree.jpeg.png")), "png");
  EXPECT_TRUE(d->save(dir.file("shot.PNG").c_str()));
  EXPECT_EQ(picture_format(dir.file("shot.PNG")), "png");

  // A pixmap replaced by a resize is drawn before it is saved.
  d->configure(d->getArea(), nullptr);
  ASSERT_TRUE(d->save(dir.file("fresh.png").c_str()));
  GdkPixbuf* fresh = gdk_pixbuf_new_from_file(dir.file("fresh.png").c_str(), nullptr);
  ASSERT_NE(fresh, nullptr);
  EXPECT_EQ(pixel_at(fresh, 440, 137), 0u);
  EXPECT_EQ(pixel_at(fresh, 300, 100), 0xffffffu);
  g_object_unref(fresh);

  write_file(dir.file("plain"), "not a folder");
  CaptureStderr();
  EXPECT_FALSE(d->save("abc"));
  EXPECT_FALSE(d->save((dir.path() + "/").c_str()));
  EXPECT_FALSE(d->save(dir.file("plain/tree.png").c_str()));
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("Picture not saved: the name \"abc\" is too short.\n"), std::string::npos) << err;
  EXPECT_NE(err.find("Picture not saved: " + dir.path() + "/ is a folder; give a file name.\n"), std::string::npos)
    << err;
  EXPECT_NE(err.find("Picture not saved to " + dir.file("plain/tree.png") + ": "), std::string::npos) << err;
  EXPECT_FALSE(std::ifstream("abc").good());
  EXPECT_FALSE(std::ifstream(dir.path() + "/.png").good());

  // Each failure is also shown in the window, in a dialog of its own.
  std::vector<GtkWidget*> dialogs = toplevels_of_type(GTK_TYPE_MESSAGE_DIALOG);
  EXPECT_EQ(dialogs.size(), 3u);
  for (GtkWidget* dialog : dialogs) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CLOSE);
  EXPECT_TRUE(pump_until([] { return toplevels_of_type(GTK_TYPE_MESSAGE_DIALOG).empty(); }));
}

TEST_F(ViewerWindow, ControlSOpensTheSaveDialog)
{
  HandTree tree(engine);
  auto d = show(tree.root.get());
  TempDir dir;
  for (bool ok : {true, false}) {
    ASSERT_TRUE(gtk_accel_groups_activate(G_OBJECT(d->getWindow()), GDK_s, GDK_CONTROL_MASK));
    std::vector<GtkWidget*> dialogs = toplevels_of_type(GTK_TYPE_FILE_SELECTION);
    ASSERT_EQ(dialogs.size(), 1u);
    GtkFileSelection* selection = GTK_FILE_SELECTION(dialogs[0]);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(selection)), "Save");
    EXPECT_EQ(selection->fileop_c_dir, nullptr);  // the file-operation buttons are gone
    std::string name = dir.file(ok ? "chosen.jpg" : "cancelled.jpg");
    gtk_file_selection_set_filename(selection, name.c_str());
    gtk_button_clicked(GTK_BUTTON(ok ? selection->ok_button : selection->cancel_button));
    EXPECT_TRUE(pump_until([] { return toplevels_of_type(GTK_TYPE_FILE_SELECTION).empty(); }));
    EXPECT_EQ(picture_format(name), ok ? "jpeg" : "") << name;
  }
}

TEST_F(ViewerWindow, QuittingEndsExec)
{
  HandTree tree(engine);
  {
    auto d = show(tree.root.get());
    EXPECT_TRUE(exec_with(*d, [](gpointer data) -> gboolean {
      GtkWidget* menu = static_cast<ClusterDrawable*>(data)->getPopupMenu();
      gtk_menu_item_activate(GTK_MENU_ITEM(gtk_item_factory_get_item(gtk_item_factory_from_widget(menu), "/Quit")));
      return FALSE;
    }));
  }
  {
    auto d = show(tree.root.get());
    EXPECT_TRUE(exec_with(*d, [](gpointer data) -> gboolean {
      gtk_accel_groups_activate(G_OBJECT(static_cast<ClusterDrawable*>(data)->getWindow()), GDK_q, GDK_CONTROL_MASK);
      return FALSE;
    }));
  }
  // Closing the window: "delete", then GTK destroys it, which quits.
  auto d = show(tree.root.get());
  CaptureStdout();
  bool ended = exec_with(*d, [](gpointer data) -> gboolean {
    GdkEventAny e = {};
    e.type = GDK_DELETE;
    e.window = static_cast<ClusterDrawable*>(data)->getWindow()->window;
    e.send_event = TRUE;
    gtk_main_do_event(reinterpret_cast<GdkEvent*>(&e));
    return FALSE;
  });
  EXPECT_EQ(GetCapturedStdout(), "delete\n");
  EXPECT_TRUE(ended);
  EXPECT_EQ(d->getWindow(), nullptr);
}

TEST_F(ViewerWindow, MiddleButtonHandsTheClusterToTheViewer)
{
  TempDir bin, tmp, seen;
  write_file(bin.file("xterm"), "#!/bin/sh\n"
                                "printf '%s\\n' \"$@\" > '" + seen.file("args.part") + "'\n"
                                "stat -c %a \"$3\" > '" + seen.file("mode") + "'\n"
                                "cp \"$3\" '" + seen.file("viewer.pdb") + "'\n"
                                "mv '" + seen.file("args.part") + "' '" + seen.file("args") + "'\n");
  chmod(bin.file("xterm").c_str(), 0755);
  ScopedEnv path("PATH", bin.path() + ":" + std::getenv("PATH"));
  ScopedEnv tmpdir("TMPDIR", tmp.path());

  // The second structure moved well away: the viewer's file shows it back
  // on the first.
  CTransfo away;
  away.SetTranslation(CPoint3D(25.0f, 0.0f, 0.0f));
  for (auto& r : engine->GetFrag(1).GetResidues()) r.second->Transform(away);

  HandTree tree(engine);
  auto d = show(tree.root.get());
  CaptureStdout();
  EXPECT_TRUE(click(*d, 440, 137, 2));
  EXPECT_EQ(GetCapturedStdout(), description_of_hand_root() + "Aligning\nAligning\n");
  // The viewer ran, its file went with it, and the main loop reaped what
  // was started.
  const std::string children = "/proc/self/task/" + std::to_string(getpid()) + "/children";
  ASSERT_TRUE(pump_until([&] {
    return !read_file(seen.file("args")).empty() && viewer_files(tmp.path()).empty() && read_file(children).empty();
  }));
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  std::istringstream args(read_file(seen.file("args")));
  std::string e, rasmol, file;
  std::getline(args, e);
  std::getline(args, rasmol);
  std::getline(args, file);
  EXPECT_EQ(e, "-e");
  EXPECT_EQ(rasmol, "rasmol");
  EXPECT_EQ(file.rfind(tmp.path() + "/tolva-", 0), 0u) << file;
  EXPECT_EQ(file.substr(file.size() - 4), ".pdb");
  EXPECT_EQ(read_file(seen.file("mode")), "600\n");

  // One block per member, in order, each ended by TER and REMARK.
  std::istringstream pdb(read_file(seen.file("viewer.pdb")));
  std::vector<std::string> origins;
  std::vector<double> cx, atoms;
  std::string line, last;
  while (std::getline(pdb, line)) {
    if (line.find("Alignment file generated by tolva 4.0") != std::string::npos) {
      EXPECT_TRUE(origins.empty());
    }
    if (line.rfind("REMARK 220 Original file: ", 0) == 0) {
      origins.push_back(line.substr(26));
      cx.push_back(0);
      atoms.push_back(0);
    } else if (line.rfind("ATOM", 0) == 0 && !origins.empty()) {
      cx.back() += std::stod(line.substr(30, 8));
      atoms.back() += 1;
    } else if (line == "TER") {
      std::getline(pdb, line);
      EXPECT_EQ(line.substr(0, 6), "REMARK");
    }
    if (!line.empty()) last = line;
  }
  EXPECT_EQ(origins, (std::vector<std::string>{example(1), example(2), example(3)}));
  EXPECT_EQ(last.substr(0, 3), "END");
  ASSERT_EQ(atoms.size(), 3u);
  for (int k = 1; k < 3; ++k) {
    ASSERT_GT(atoms[k], 0);
    EXPECT_LT(std::fabs(cx[k] / atoms[k] - cx[0] / atoms[0]), 2.0) << k;
  }
}

TEST_F(ViewerWindow, AViewerThatCannotStartIsReported)
{
  TempDir empty, tmp;
  ScopedEnv path("PATH", empty.path());
  ScopedEnv tmpdir("TMPDIR", tmp.path());
  HandTree tree(engine);
  auto d = show(tree.root.get());
  CaptureStdout();
  CaptureStderr();
  EXPECT_TRUE(click(*d, 440, 137, 2));
  GetCapturedStdout();
  EXPECT_EQ(GetCapturedStderr(), "Cannot start xterm: No such file or directory\n");
  EXPECT_TRUE(viewer_files(tmp.path()).empty());
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(ViewerWindow, AFailureInACallbackEndsTheLoopAndReachesTheCaller)
{
  // Without atom lists, aligning the members fails inside the click.
  auto raw = load_examples();
  TempDir tmp;
  ScopedEnv tmpdir("TMPDIR", tmp.path());
  HandTree tree(raw.get());
  auto d = show(tree.root.get());
  CaptureStdout();
  try {
    exec_with(*d, [](gpointer data) -> gboolean {
      click(*static_cast<ClusterDrawable*>(data), 440, 137, 2);
      return FALSE;
    });
    ADD_FAILURE() << "exec returned";
  } catch (const CException& e) {
    std::ostringstream text;
    text << e;
    EXPECT_EQ(text.str(), "RMSD Alignement requires at least three atoms");
  }
  GetCapturedStdout();
  EXPECT_TRUE(viewer_files(tmp.path()).empty());
}

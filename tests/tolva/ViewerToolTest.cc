// The built tool's viewer as a user meets it: real mouse and keyboard input
// through xdotool on the X display of xvfb-run, and the tool's outputs.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gdk/gdkx.h>

#include "RunTool.h"
#include "TestSupport.h"
#include "ViewerSupport.h"

using namespace testing_support;

namespace {

std::string example(int k)
{
  return std::string(TOLVA_SOURCE_DIR) + "/examples/1lcd-model" + std::to_string(k) + ".pdb.gz";
}

// The examples' tree in the default 400 x 300 window (scales 0.32 and
// -0.26, offsets 40 and 285): leaves 1, 2, 3 at y = 0, 500, 1000, the
// inner node {2, 3} at x = 1000 x 1.26962 / 1.55137, the root at y = 375.
const int kLeaf1[2] = {40, 285};
const int kLeaf2[2] = {40, 155};
const int kInner[2] = {301, 90};
const int kRoot[2] = {360, 187};

const std::string kBar = "[3] \n%:  0    25   50   75   100\n   <|||||||||||||||||||||>\n"
                         "Most distant structures (1.55137A):\n\t" +
                         example(1) + "\n\t" + example(3) + "\n";

std::string leaf_text(int k)
{
  return "Cluster with maximum distance of: 0 Angstroms.\nLMS member is unknown\n  " + example(k) + "\n\n";
}

const std::string kRootText = "Cluster with maximum distance of: 1.55137 Angstroms.\nLMS member is " + example(2) +
                              "\n  " + example(1) + "\n  " + example(2) + "\n  " + example(3) + "\n\n";
const std::string kInnerText = "Cluster with maximum distance of: 1.26962 Angstroms.\nLMS member is " + example(2) +
                               "\n  " + example(2) + "\n  " + example(3) + "\n\n";

// Every wait of these tests is for a state, bounded far beyond the
// longest (under two seconds for the window, under the address checker on
// a core shared with seven other tests).
const int kPatienceSeconds = 120;

bool eventually(const std::function<bool()>& done, int milliseconds = kPatienceSeconds * 1000)
{
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The tool running in the background, its outputs going to files, in a
// process group of its own: whatever becomes of the test, the tool and
// all it started (the keeper, the viewer) are ended with the object.
class RunningTool
{
public:
  // `wrapper` runs the tool (unshare).
  RunningTool(const TempDir& dir, std::vector<std::string> args,
              const std::vector<std::pair<std::string, std::string>>& env = {}, const std::vector<int>& ignored = {},
              const std::vector<std::string>& wrapper = {})
    : outPath(dir.file("tool.out")), errPath(dir.file("tool.err"))
  {
    args.insert(args.begin(), TOLVA_BINARY);
    args.insert(args.begin(), wrapper.begin(), wrapper.end());
    child = fork();
    if (child == 0) {
      setpgid(0, 0);
      int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(out, 1);
      dup2(err, 2);
      close_range(3, ~0U, 0);  // nothing of the test runner's, as from a shell
      if (chdir(dir.path().c_str()) != 0) _exit(126);
      for (int s = 1; s < NSIG; ++s) std::signal(s, SIG_DFL);  // as a terminal leaves them
      for (int s : ignored) std::signal(s, SIG_IGN);
      for (const auto& var : env) setenv(var.first.c_str(), var.second.c_str(), 1);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(&a[0]);
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    setpgid(child, child);
  }
  ~RunningTool()
  {
    if (child <= 0) return;
    kill(-child, SIGKILL);
    if (status == kRunning) waitpid(child, nullptr, 0);
  }

  pid_t pid() const { return child; }
  std::string out() const { return read_file(outPath); }
  std::string err() const { return read_file(errPath); }
  bool running()
  {
    poll();
    return status == kRunning;
  }
  // The exit status once the tool has ended, 128 + the signal's number
  // after a signal, as a shell tells it.
  int wait_for_exit()
  {
    eventually([this] { return !running(); });
    return status;
  }
  // The tool's own children, from the kernel.
  std::string children() const
  {
    std::string pid = std::to_string(child);
    return read_file("/proc/" + pid + "/task/" + pid + "/children");
  }

private:
  static const int kRunning = -2;
  void poll()
  {
    int s;
    if (status == kRunning && waitpid(child, &s, WNOHANG) == child)
      status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
  }

  std::string outPath, errPath;
  pid_t child = -1;
  int status = kRunning;
};

// xdotool, never left waiting for ever.
std::string xdo(const std::vector<std::string>& args)
{
  std::vector<std::string> all = {std::to_string(kPatienceSeconds), "xdotool"};
  all.insert(all.end(), args.begin(), args.end());
  std::string out = run_program("/usr/bin/timeout", all).out;
  return out.substr(0, out.find('\n'));
}

std::string window_of(pid_t pid, const std::string& title)
{
  return xdo({"search", "--sync", "--all", "--onlyvisible", "--pid", std::to_string(pid), "--name", title});
}

void click_at(const std::string& window, int x, int y, const std::string& button = "1")
{
  xdo({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", button});
}

void click_at(const std::string& window, const int at[2], const std::string& button = "1")
{
  click_at(window, at[0], at[1], button);
}

// What a window manager sends when the user closes a window.
void ask_to_close(const std::string& window)
{
  GdkEvent e = {};
  e.client.type = GDK_CLIENT_EVENT;
  e.client.send_event = TRUE;
  e.client.message_type = gdk_atom_intern("WM_PROTOCOLS", FALSE);
  e.client.data_format = 32;
  e.client.data.l[0] = static_cast<long>(gdk_x11_get_xatom_by_name("WM_DELETE_WINDOW"));
  e.client.data.l[1] = 0;  // CurrentTime
  gdk_event_send_client_message(&e, static_cast<GdkNativeWindow>(std::stoul(window)));
  gdk_flush();
}

bool is_file(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int count_of(const std::string& text, const std::string& what)
{
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

class ViewerTool : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(open_test_display()) << "needs an X display: run under xvfb-run -a";
    ASSERT_EQ(access("/usr/bin/xdotool", X_OK), 0) << "xdotool is not installed (scripts/install-deps)";
  }
  TempDir dir;
};

}  // namespace

TEST_F(ViewerTool, ClicksPrintClustersAndQuitWritesTheOutputFileAfterwards)
{
  RunningTool tool(dir, {"-o", "aligned.pdb", example(1), example(2), example(3)});
  std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
  ASSERT_FALSE(window.empty()) << tool.err();

  click_at(window, kLeaf1);
  xdo({"keydown", "shift"});
  click_at(window, kRoot);  // not handled
  xdo({"keyup", "shift"});
  xdo({"key", "Num_Lock"});
  click_at(window, kRoot);
  xdo({"key", "Num_Lock"});
  xdo({"key", "Caps_Lock"});
  click_at(window, kInner);
  xdo({"key", "Caps_Lock"});
  click_at(window, kRoot[0] + 3, kRoot[1]);
  click_at(window, kRoot[0] + 5, kRoot[1]);  // out of reach: nothing
  click_at(window, kLeaf2);
  const std::string clicks = leaf_text(1) + kRootText + kInnerText + kRootText + leaf_text(2);
  EXPECT_TRUE(eventually([&] { return tool.out() == kBar + clicks; })) << tool.out();
  EXPECT_FALSE(is_file(dir.file("aligned.pdb")));

  xdo({"windowfocus", "--sync", window});
  xdo({"key", "ctrl+q"});
  EXPECT_EQ(tool.wait_for_exit(), 0);
  EXPECT_EQ(tool.out(), kBar + clicks);
  EXPECT_EQ(tool.err(), "");
  std::string aligned = read_file(dir.file("aligned.pdb"));
  EXPECT_EQ(count_of(aligned, "REMARK 220 Original file: "), 3);
  EXPECT_EQ(aligned.substr(aligned.rfind("END"), 3), "END");
}

TEST_F(ViewerTool, ControlSSavesThePictureAndClosingTheWindowEndsTheRun)
{
  RunningTool tool(dir, {"-o", "aligned.pdb", example(1), example(2), example(3)});
  std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
  ASSERT_FALSE(window.empty()) << tool.err();

  xdo({"windowfocus", "--sync", window});
  xdo({"key", "ctrl+s"});
  std::string dialog = window_of(tool.pid(), "^Save$");
  ASSERT_FALSE(dialog.empty());
  xdo({"windowfocus", "--sync", dialog});
  xdo({"key", "ctrl+a"});
  xdo({"type", dir.file("tree")});
  xdo({"key", "Return"});
  ASSERT_TRUE(eventually([&] { return picture_format(dir.file("tree.png")) == "png"; }));
  EXPECT_TRUE(eventually([&] { return xdo({"search", "--all", "--onlyvisible", "--pid", std::to_string(tool.pid()),
                                           "--name", "^Save$"}).empty(); }));
  GdkPixbuf* picture = nullptr;
  ASSERT_TRUE(eventually([&] { return (picture = gdk_pixbuf_new_from_file(dir.file("tree.png").c_str(), nullptr)); }));
  EXPECT_EQ(gdk_pixbuf_get_width(picture), 400);
  EXPECT_EQ(gdk_pixbuf_get_height(picture), 300);
  for (const int* node : {kLeaf1, kLeaf2, kInner, kRoot})
    EXPECT_EQ(pixel_at(picture, node[0], node[1]), 0u) << node[0] << "," << node[1];
  EXPECT_EQ(pixel_at(picture, 200, 200), 0xffffffu);
  g_object_unref(picture);

  ask_to_close(window);
  EXPECT_EQ(tool.wait_for_exit(), 0);
  EXPECT_EQ(tool.out(), kBar + "delete\n");
  EXPECT_EQ(count_of(read_file(dir.file("aligned.pdb")), "REMARK 220 Original file: "), 3);
}

TEST_F(ViewerTool, MiddleButtonStartsTheViewerAndTheWindowCarriesOn)
{
  TempDir bin, tmp;
  write_file(bin.file("xterm"), "#!/bin/sh\n"
                                "grep -c 'REMARK 220 Original file: ' \"$3\" > '" + dir.file("members") + "'\n"
                                "printf '%s\\n' \"$@\" > '" + dir.file("args") + "'\n");
  chmod(bin.file("xterm").c_str(), 0755);
  RunningTool tool(dir, {"-o", "aligned.pdb", example(1), example(2), example(3)},
                   {{"PATH", bin.path() + ":" + std::getenv("PATH")}, {"TMPDIR", tmp.path()}});
  std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
  ASSERT_FALSE(window.empty()) << tool.err();

  click_at(window, kRoot, "2");
  ASSERT_TRUE(eventually([&] { return !read_file(dir.file("args")).empty(); }));
  std::string args = read_file(dir.file("args"));
  EXPECT_EQ(args.rfind("-e\nrasmol\n" + tmp.path() + "/tolva-", 0), 0u) << args;
  EXPECT_EQ(read_file(dir.file("members")), "3\n");
  // The viewer is reaped and its file removed while the window carries on.
  EXPECT_TRUE(eventually([&] { return tool.children().empty() && run_program("/bin/ls", {tmp.path()}).out.empty(); }));
  EXPECT_TRUE(tool.running());
  click_at(window, kLeaf1);
  EXPECT_TRUE(eventually([&] { return tool.out() == kBar + kRootText + "Aligning\nAligning\n" + leaf_text(1); }))
    << tool.out();

  xdo({"windowfocus", "--sync", window});
  xdo({"key", "ctrl+q"});
  EXPECT_EQ(tool.wait_for_exit(), 0);
  EXPECT_TRUE(is_file(dir.file("aligned.pdb")));
}

TEST_F(ViewerTool, TheViewersFileGoesWhenTheViewerEndsAfterTheWindow)
{
  // Rows: the tool started with the default actions, then with TERM and
  // PIPE ignored, which the keeper and the viewer keep ignored (the PIPE
  // the window ignores they do not).
  for (const std::vector<int>& ignored : std::vector<std::vector<int>>{{}, {SIGTERM, SIGPIPE}}) {
    TempDir bin, tmp;
    // The C library's two signals are left out: make starts everything
    // with them ignored, and no handler of a program changes that.
    const unsigned long long classic = (1ULL << 31) - 1;
    unsigned long long bits = 0;
    for (int s : ignored) bits |= 1ULL << (s - 1);
    for (const char* name : {"file", "end"}) unlink(dir.file(name).c_str());
    // Perl leaves the signal mask and the dispositions as exec gave them,
    // but ignores FPE.
    write_file(bin.file("xterm"), "#!/usr/bin/perl\n"
                                  "open(S, '/proc/self/status'); open(O, '>" + dir.file("signals") + "');\n"
                                  "while (<S>) { print O if /^SigBlk/;\n"
                                  "  print O hex($1) & ~128 & 0x7fffffff if /^SigIgn:\\s*(\\w+)/ }\n"
                                  "open(P, '>" + dir.file("part") + "'); print P $ARGV[2]; close(P); close(O);\n"
                                  "rename('" + dir.file("part") + "', '" + dir.file("file") + "');\n"
                                  "select(undef, undef, undef, 0.05) until -e '" + dir.file("end") + "';\n");
    chmod(bin.file("xterm").c_str(), 0755);
    RunningTool tool(dir, {example(1), example(2), example(3)},
                     {{"PATH", bin.path() + ":" + std::getenv("PATH")}, {"TMPDIR", tmp.path()}}, ignored);
    std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
    ASSERT_FALSE(window.empty()) << tool.err();
    std::string mask = run_program("/bin/grep", {"^SigBlk", "/proc/" + std::to_string(tool.pid()) + "/status"}).out;

    click_at(window, kRoot, "2");
    ASSERT_TRUE(eventually([&] { return is_file(dir.file("file")); }));
    std::string file = read_file(dir.file("file"));
    // xterm: the tool's mask; ignored only what the tool was started with ignored
    EXPECT_EQ(read_file(dir.file("signals")), mask + std::to_string(bits));
    const pid_t keeper = std::stoi(tool.children());
    auto field = [keeper](const std::string& name) {
      return run_program("/bin/grep", {"^" + name, "/proc/" + std::to_string(keeper) + "/status"}).out + "        ";
    };
    // No handler is left in the keeper but the C library's (32 and 33); it
    // ignores the terminal's signals.
    EXPECT_EQ(std::stoull(field("SigCgt").substr(8), nullptr, 16) & ~(3ULL << 31), 0u) << field("SigCgt");
    EXPECT_TRUE(eventually([&] { return (std::stoull(field("SigIgn").substr(8), nullptr, 16) & classic) == (bits | 7); }));
    xdo({"windowfocus", "--sync", window});
    xdo({"key", "ctrl+q"});
    EXPECT_EQ(tool.wait_for_exit(), 0);
    // Ctrl-C or a closed terminal reaches every process of the group; a
    // PIPE ends the keeper, and the file stays, unless it is ignored.
    for (int s : {SIGINT, SIGQUIT, SIGHUP, SIGPIPE}) kill(keeper, s);
    for (int s : ignored) kill(keeper, s);
    if (ignored.empty())
      EXPECT_TRUE(eventually([&] { return field("State")[7] != 'S'; })) << field("State");
    else  // an ignored signal is dropped as it is sent: none is left to end it
      EXPECT_EQ(field("State")[7], 'S') << field("State");
    EXPECT_TRUE(is_file(file));
    write_file(dir.file("end"), "");
    EXPECT_TRUE(eventually([&] { return is_file(file) == ignored.empty(); })) << file;
  }
}

TEST_F(ViewerTool, ASignalWhileTheViewersFileIsWrittenLeavesNothing)
{
  // TERM, INT and HUP while the shim holds the first write to the viewer's
  // file: the file goes with the run. A USR1 once the tool, held there by
  // the shim, has forked the keeper: the file is the keeper's now, and
  // stays until the viewer ends.
  for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGUSR1}) {
    TempDir tmp, bin, shim;
    write_file(bin.file("xterm"), "#!/bin/sh\nuntil [ -e " + shim.file("end") + " ]; do sleep 0.05; done\n");
    chmod(bin.file("xterm").c_str(), 0755);
    std::vector<std::pair<std::string, std::string>> env = shim_environment(shim.path());
    env.insert(env.end(), {{"TMPDIR", tmp.path()}, {"PATH", bin.path() + ":" + std::getenv("PATH")}});
    if (signal == SIGUSR1)
      env.push_back({"SHIM_HOLD_FORK", "1"});
    else
      env.push_back({"SHIM_HOLD_WRITE", tmp.path() + "/tolva-"});
    RunningTool tool(dir, {example(1), example(2), example(3)}, env);
    std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
    ASSERT_FALSE(window.empty()) << tool.err();
    auto listing = [&] { return run_program("/bin/ls", {tmp.path()}).out; };

    click_at(window, kRoot, "2");
    ASSERT_TRUE(eventually([&] { return is_file(shim.file("held")); })) << signal;
    EXPECT_TRUE(std::regex_match(listing(), std::regex("tolva-[A-Za-z0-9]{6}\\.pdb\n"))) << listing();
    kill(tool.pid(), signal);
    // The keeper's fork held every handled signal: it comes in at the go.
    if (signal == SIGUSR1) write_file(shim.file("go"), "");
    EXPECT_EQ(tool.wait_for_exit(), 128 + signal);
    EXPECT_EQ(listing().empty(), signal != SIGUSR1) << signal << ": " << listing();
    write_file(shim.file("end"), "");
    EXPECT_TRUE(eventually([&] { return listing().empty(); })) << signal;
  }
}

TEST_F(ViewerTool, AsTheFirstProcessOfAPidNamespaceTheRunTakesTheViewersFileAlong)
{
  // There the run's end ends the keeper too: Ctrl+Q, or a TERM, while the
  // viewer is open leaves no file.
  if (run_program("/usr/bin/unshare", {"-pf", "--mount-proc", "true"}).status != 0)
    GTEST_SKIP() << "unshare -p is refused here";
  for (int signal : {0, SIGTERM}) {
    TempDir bin, tmp;
    write_file(bin.file("xterm"), "#!/bin/sh\n: > " + dir.file("shown") + "; exec sleep 600\n");
    chmod(bin.file("xterm").c_str(), 0755);
    unlink(dir.file("shown").c_str());
    RunningTool tool(dir, {example(1), example(2), example(3)},
                     {{"PATH", bin.path() + ":" + std::getenv("PATH")}, {"TMPDIR", tmp.path()}}, {},
                     {"/usr/bin/unshare", "-pf", "--kill-child", "--mount-proc"});
    std::string window = xdo({"search", "--sync", "--onlyvisible", "--name", "^Tolva \\(gtk version\\)$"});
    ASSERT_FALSE(window.empty()) << tool.err();
    click_at(window, kRoot, "2");
    ASSERT_TRUE(eventually([&] { return is_file(dir.file("shown")); }));
    EXPECT_FALSE(run_program("/bin/ls", {tmp.path()}).out.empty());
    if (signal != 0) {
      kill(std::stoi(tool.children()), signal);
    } else {
      xdo({"windowfocus", "--sync", window});
      xdo({"key", "ctrl+q"});
    }
    EXPECT_EQ(tool.wait_for_exit(), signal != 0 ? 128 + signal : 0);
    EXPECT_EQ(run_program("/bin/ls", {tmp.path()}).out, "") << signal;
  }
}

TEST_F(ViewerTool, RealXtermShowsTheClusterInRasmol)
{
  if (access("/usr/bin/xterm", X_OK) != 0 || access("/usr/bin/rasmol", X_OK) != 0)
    GTEST_SKIP() << "xterm or rasmol is not installed";
  TempDir tmp;
  RunningTool tool(dir, {example(1), example(2), example(3)}, {{"TMPDIR", tmp.path()}});
  std::string window = window_of(tool.pid(), "^Tolva \\(gtk version\\)$");
  ASSERT_FALSE(window.empty()) << tool.err();

  click_at(window, kRoot, "2");
  // RasMol names the file it read and the header's classification.
  std::string rasmol =
    xdo({"search", "--sync", "--onlyvisible", "--name", "^RasMol - tolva-.*\\.pdb THEORETICAL MODEL"});
  ASSERT_FALSE(rasmol.empty());
  std::string xterm = tool.children();
  EXPECT_FALSE(xterm.empty());  // the terminal's keeper is the tool's own child
  std::string viewer = xdo({"getwindowpid", rasmol});
  ASSERT_FALSE(viewer.empty());

  // RasMol ends, then its terminal, which the tool reaps; the file goes.
  kill(std::stoi(viewer), SIGTERM);
  EXPECT_TRUE(eventually([&] { return tool.children().empty() && run_program("/bin/ls", {tmp.path()}).out.empty(); }))
    << tool.children();
  xdo({"windowfocus", "--sync", window});
  xdo({"key", "ctrl+q"});
  EXPECT_EQ(tool.wait_for_exit(), 0);
  EXPECT_EQ(tool.out(), kBar + kRootText + "Aligning\nAligning\n");
}

// No display is needed but for the window, and its lack is the error line,
// before any input is read (a FIFO nobody writes would hold the run).
TEST(ClusterModeWithoutDisplay, IsTheErrorLine)
{
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("fifo").c_str(), 0600), 0);
  for (const std::string& third : {example(3), dir.file("fifo")}) {
    ToolRun run = run_program("/usr/bin/timeout", {"60", TOLVA_BINARY, "-o", "aligned.pdb", example(1), example(2), third},
                              dir.path(), {{"DISPLAY", ":65000"}});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tolva:4.0: Cannot open the display :65000 for the cluster viewer; -R prints the root alone.\n");
    EXPECT_EQ(run_program("/bin/ls", {dir.path()}).out, "fifo\n");  // no -o file, no temporary file
  }

  ToolRun root = run_tolva({"-R", example(1), example(2), example(3)}, dir.path(), {{"DISPLAY", ":65000"}});
  EXPECT_EQ(root.status, 0);
  EXPECT_EQ(root.out, kBar + "3 - 1.55137 A\n");
}

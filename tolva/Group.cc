#include "Group.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <glib.h>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "FragHandler.h"
#include "Messagestream.h"
#include "Options.h"
#include "Pdbstream.h"
#include "fPdbstream.h"
#include "RmsEngine.h"
#include "SignalCleanup.h"

namespace tolva {

CGroup::CGroup(float d, int index, CRmsEngine* e)
  : distance(d), members{index}, engine(e), left(nullptr), right(nullptr), x(0), y(0), lms(-1)
{
}

CGroup::CGroup(float d, CRmsEngine* e, CGroup* a, CGroup* b)
  : distance(d), engine(e), left(a), right(b), x(0), y(0), lms(-1)
{
  if (a != nullptr && b != nullptr) {
    members = a->members;
    members.insert(b->members.begin(), b->members.end());
  }
}

CGroup::CGroup(const CGroup& other)
  : distance(other.distance), members(other.members), engine(other.engine), left(nullptr), right(nullptr),
    x(other.x), y(other.y), lms(other.lms)
{
  copy_children(other);
}

CGroup& CGroup::operator=(const CGroup& other)
{
  if (this == &other) return *this;
  distance = other.distance;
  members = other.members;
  engine = other.engine;
  delete left;
  delete right;
  left = right = nullptr;
  copy_children(other);
  x = other.x;
  y = other.y;
  lms = other.lms;
  return *this;
}

CGroup::~CGroup()
{
  delete left;
  delete right;
}

void CGroup::copy_children(const CGroup& other)
{
  if (other.left != nullptr) left = new CGroup(*other.left);
  if (other.right != nullptr) right = new CGroup(*other.right);
}

float CGroup::Distance(const CGroup& other) const
{
  float result = 0.0f;
  for (int i : members)
    for (int j : other.members) {
      float d = engine->Distance(i, j);
      if (d > result) result = d;
    }
  return result;
}

void CGroup::FindLMS()
{
  if (lms >= 0) return;
  std::multimap<double, int> sums;
  for (int i : members) {
    double s = 0.0;
    for (int j : members) {
      if (i == j) continue;
      double d = i < j ? engine->Distance(i, j) : engine->Distance(j, i);
      s += std::pow(d, 2.0);
    }
    sums.emplace(s, i);
  }
  if (!sums.empty()) lms = sums.begin()->second;
}

void CGroup::SetInSpace(float x0, float y0, float width, float height)
{
  float n = static_cast<float>(engine->GetFragCount());
  float step = height / (n - 1);
  SetInSpace(x0, y0, width, height, step, distance, y0);
}

float CGroup::SetInSpace(float x0, float y0, float width, float height, float step, float rootDistance, float yNext)
{
  if (IsLeaf()) {
    y = yNext;
    x = x0;
    return yNext + step;
  }
  float y1 = left->SetInSpace(x0, y0, width, height, step, rootDistance, yNext);
  float y2 = right->SetInSpace(x0, y0, width, height, step, rootDistance, y1);
  // All structures identical: every node stands at the leaves' edge rather
  // than at 0/0.
  x = rootDistance > 0 ? x0 + distance * width / rootDistance : x0;
  y = (left->y + right->y) * 0.5f;
  return y2;
}

namespace {

// A private file for the viewer: a fresh name, mode 0600, written through
// the descriptor that created it, so no link planted by anyone is followed.
// A signal removes it until the keeper has it.
int make_viewer_file(std::string& path)
{
  const char* base = std::getenv("TMPDIR");
  path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tolva-XXXXXX.pdb";
  return make_removed_on_signal(&path[0], 4);
}

void remove_viewer_file(const std::string& path)
{
  unlink(path.c_str());
  disarm_removal(path.c_str());
}

// The first process of a PID namespace takes every process of it along
// when it ends, the keeper too: there the viewer cannot outlive the run,
// and the run keeps the file armed, so that its end removes it.
bool keeps_the_file() { return getpid() == 1; }

// The process that kept the viewer has ended: the file is already gone.
// `data` is its name where the run kept it armed.
void keeper_ended(GPid pid, gint /*status*/, gpointer data)
{
  g_spawn_close_pid(pid);
  if (data == nullptr) return;
  disarm_removal(static_cast<char*>(data));
  g_free(data);
}

// The signals a terminal sends to the whole group.
const int kTerminalSignals[] = {SIGINT, SIGQUIT, SIGHUP};

void report_errno(int report)
{
  int e = errno;
  ssize_t ignored = write(report, &e, sizeof e);
  (void)ignored;
}

// The viewer gets the keeper's dispositions (the tool's handlers dropped,
// what the tool was told to ignore still ignored) and the tool's mask.
[[noreturn]] void run_viewer(char* const args[], int report, const sigset_t& mask)
{
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  execvp("xterm", args);
  report_errno(report);
  _exit(127);
}

// The keeper starts the viewer, waits for it however long the tool lives,
// then removes the file. It starts with every handled signal held, drops
// every handler of the tool, and what the window ignored (PIPE), before it
// lets one in, then ignores the terminal's INT, QUIT and HUP (Ctrl-C
// reaches the whole group; set only after the viewer is forked, as ignored
// signals stay ignored across exec). Any other signal that ends a process
// ends the keeper with its default action, and the file stays, unless the
// tool was started with it ignored.
[[noreturn]] void keep_viewer(char* const args[], const char* path, int report, const sigset_t& mask)
{
  drop_handlers();
  // The viewer keeps standard input and outputs, nothing else of ours.
  if (report > 3) close_range(3, static_cast<unsigned>(report) - 1, 0);
  close_range(static_cast<unsigned>(report) + 1, ~0U, 0);
  pid_t viewer = fork();
  if (viewer == 0) run_viewer(args, report, mask);
  if (viewer < 0) report_errno(report);
  // The keeper holds nothing of the tool's open while it waits.
  close_range(0, ~0U, 0);
  struct sigaction ignored = {};
  ignored.sa_handler = SIG_IGN;
  for (int s : kTerminalSignals) sigaction(s, &ignored, nullptr);
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  while (viewer > 0 && waitpid(viewer, nullptr, 0) < 0 && errno == EINTR) {
  }
  unlink(path);
  _exit(0);
}

void cannot_start(int e)
{
  gOut->setLevel(2) << "Cannot start xterm: " << std::strerror(e) << std::endl;
}

// Starts "xterm -e rasmol <path>", without a shell, through a keeper
// process that removes the file when the viewer ends, whether the tool is
// still running or not; the main loop reaps the keeper. When xterm cannot
// be run, the file is removed at once.
void launch_viewer(const std::string& path)
{
  // Everything the children need is made before the fork: between fork and
  // exec or _exit only async-signal-safe calls are made.
  char* args[] = {const_cast<char*>("xterm"), const_cast<char*>("-e"), const_cast<char*>("rasmol"),
                  const_cast<char*>(path.c_str()), nullptr};
  // A failed exec is reported through this pipe; a successful exec closes
  // it, and so does the keeper.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    cannot_start(errno);
    remove_viewer_file(path);
    return;
  }
  // Every handled signal is held from before the fork until the keeper
  // has the file: one taken in between would remove the file under the
  // keeper, and in the children none runs before their handlers are
  // dropped.
  sigset_t mask;
  hold_handled_signals(mask);
  pid_t keeper = fork();
  int e = errno;
  if (keeper == 0) keep_viewer(args, path.c_str(), report[1], mask);
  // From here the keeper removes the file, whatever becomes of the tool.
  const bool kept = keeps_the_file();
  if (keeper > 0 && !kept) disarm_removal(path.c_str());
  pthread_sigmask(SIG_SETMASK, &mask, nullptr);
  close(report[1]);
  if (keeper < 0) {
    close(report[0]);
    cannot_start(e);
    remove_viewer_file(path);
    return;
  }
  ssize_t n;
  while ((n = read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (n == static_cast<ssize_t>(sizeof e)) {
    // The keeper has removed the file, or is about to: wait for it.
    while (waitpid(keeper, nullptr, 0) < 0 && errno == EINTR) {
    }
    if (kept) disarm_removal(path.c_str());
    cannot_start(e);
    return;
  }
  g_child_watch_add(keeper, keeper_ended, kept ? g_strdup(path.c_str()) : nullptr);
}

}  // namespace

void CGroup::RasmolDisplay()
{
  std::string path;
  int fd = make_viewer_file(path);
  if (fd < 0) {
    gOut->setLevel(2) << "Cannot create a file for the viewer in " << path.substr(0, path.rfind('/')).c_str() << ": "
                      << std::strerror(errno) << std::endl;
    return;
  }
  bool written = false;
  try {
    __gnu_cxx::stdio_filebuf<char> buffer(fd, std::ios::out);
    oPdbstream pdb(&buffer);
    pdb.putheader();
    char remark[80];
    std::snprintf(remark, sizeof remark, "Alignment file generated by %s %s", kProgramName, kProgramVersion);
    pdb.putremark(220, remark);
    CFragHandler* previous = nullptr;
    for (int member : members) {
      CFragHandler& current = engine->GetFrag(member);
      if (previous != nullptr) {
        std::cout << "Aligning" << std::endl;
        previous->Align(current);
      }
      pdb << current;
      static_cast<std::ostream&>(pdb) << "TER\nREMARK\n";
      previous = &current;
    }
    pdb.close();
    written = pdb.good() && buffer.close() != nullptr;
  } catch (...) {
    remove_viewer_file(path);
    throw;
  }
  if (!written) {
    gOut->setLevel(2) << "Cannot write the viewer's file " << path.c_str() << std::endl;
    remove_viewer_file(path);
    return;
  }
  launch_viewer(path);
}

std::ostream& operator<<(std::ostream& os, CGroup& group)
{
  CRmsEngine* engine = group.GetEngine();
  os << "Cluster with maximum distance of: " << group.GetDistance() << " Angstroms." << std::endl;
  if (group.GetLMS() >= 0)
    os << "LMS member is " << engine->GetFrag(group.GetLMS()).GetFileName() << std::endl;
  else
    os << "LMS member is unknown" << std::endl;
  for (int member : group.GetMembers()) os << "  " << engine->GetFrag(member).GetFileName() << std::endl;
  return os;
}

}  // namespace tolva

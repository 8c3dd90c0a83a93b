#include "Group.h"

#include <cerrno>
#include <cmath>
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
int make_viewer_file(std::string& path)
{
  const char* base = std::getenv("TMPDIR");
  path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tolva-XXXXXX.pdb";
  return mkstemps(&path[0], 4);
}

// The viewer has ended: reaped by GLib, and its file is no longer needed.
void viewer_ended(GPid pid, gint /*status*/, gpointer data)
{
  std::unique_ptr<std::string> path(static_cast<std::string*>(data));
  unlink(path->c_str());
  g_spawn_close_pid(pid);
}

// Starts "xterm -e rasmol <path>" as a child, without a shell, and has the
// main loop reap it. False when xterm could not be run.
bool launch_viewer(const std::string& path)
{
  // Everything the child needs is made before the fork: between fork and
  // exec only async-signal-safe calls are made.
  char* args[] = {const_cast<char*>("xterm"), const_cast<char*>("-e"), const_cast<char*>("rasmol"),
                  const_cast<char*>(path.c_str()), nullptr};
  // The child reports a failed exec through this pipe; a successful exec
  // closes it.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    gOut->setLevel(2) << "Cannot start xterm: " << std::strerror(errno) << std::endl;
    return false;
  }
  pid_t child = fork();
  if (child < 0) {
    int e = errno;
    close(report[0]);
    close(report[1]);
    gOut->setLevel(2) << "Cannot start xterm: " << std::strerror(e) << std::endl;
    return false;
  }
  if (child == 0) {
    // The viewer keeps standard input and outputs, nothing else of ours.
    if (report[1] > 3) close_range(3, static_cast<unsigned>(report[1]) - 1, 0);
    close_range(static_cast<unsigned>(report[1]) + 1, ~0U, 0);
    execvp("xterm", args);
    int e = errno;
    ssize_t ignored = write(report[1], &e, sizeof e);
    (void)ignored;
    _exit(127);
  }
  close(report[1]);
  int e = 0;
  ssize_t n;
  while ((n = read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  if (n == static_cast<ssize_t>(sizeof e)) {
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    gOut->setLevel(2) << "Cannot start xterm: " << std::strerror(e) << std::endl;
    return false;
  }
  g_child_watch_add(child, viewer_ended, new std::string(path));
  return true;
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
    unlink(path.c_str());
    throw;
  }
  if (!written) {
    gOut->setLevel(2) << "Cannot write the viewer's file " << path.c_str() << std::endl;
    unlink(path.c_str());
    return;
  }
  if (!launch_viewer(path)) unlink(path.c_str());
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

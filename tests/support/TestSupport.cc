#include "TestSupport.h"

#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir()
{
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tolva-test-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir = pattern;
}

TempDir::~TempDir()
{
  std::string command = "rm -rf '" + dir + "'";
  if (std::system(command.c_str()) != 0) {
    // Leftovers in the temporary folder are harmless.
  }
}

std::string read_file(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& contents)
{
  std::ofstream out(path, std::ios::binary);
  out << contents;
}

int open_descriptors()
{
  int n = 0;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  while (readdir(dir) != nullptr) ++n;
  closedir(dir);
  return n;
}

std::string shared_data(const std::string& relative)
{
  std::string path = std::string(TOLVA_SHARED_DATA) + "/" + relative;
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? path : std::string();
}

std::string content_mismatches(std::initializer_list<const char*> elements)
{
  std::string text;
  for (const char* e : elements)
    text += std::string("Validity Warning: Content of element '") + e + "' does not match the content model.\n";
  return text;
}

std::string test_data(const std::string& relative)
{
  return std::string(TOLVA_TEST_DATA) + "/" + relative;
}

}  // namespace testing_support

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>

#include "RunTool.h"

namespace testing_support {

ToolRun run_program(const std::string& program, const std::vector<std::string>& args, const std::string& directory,
                    const std::vector<std::pair<std::string, std::string>>& env)
{
  int out_pipe[2], err_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
  pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    // Only the three streams, as from a shell: no descriptor of the test
    // runner counts against a limit that a test sets.
    close_range(3, ~0U, 0);
    if (!directory.empty() && chdir(directory.c_str()) != 0) _exit(126);
    for (const auto& var : env) setenv(var.first.c_str(), var.second.c_str(), 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  ToolRun run;
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open_fds = 2;
  while (open_fds > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP))) continue;
      char buffer[65536];
      ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[k]->append(buffer, static_cast<size_t>(n));
      } else {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open_fds;
      }
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace testing_support

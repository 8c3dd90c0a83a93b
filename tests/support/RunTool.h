// Runs the built tolva executable as a user would, capturing its two
// output streams and its exit status.
#ifndef TOLVA_RUN_TOOL_H
#define TOLVA_RUN_TOOL_H

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

struct ToolRun
{
  int status = -1;  // the exit status, or -1 when killed by a signal
  std::string out;
  std::string err;
};

// Runs the program with the arguments (argv[0] is added), in `directory`
// when it is not empty, with the extra environment variables set.
ToolRun run_program(const std::string& program, const std::vector<std::string>& args,
                    const std::string& directory = std::string(),
                    const std::vector<std::pair<std::string, std::string>>& env = {});

#ifdef TOLVA_BINARY
inline ToolRun run_tolva(const std::vector<std::string>& args, const std::string& directory = std::string(),
                         const std::vector<std::pair<std::string, std::string>>& env = {})
{
  return run_program(TOLVA_BINARY, args, directory, env);
}
#endif

#ifdef TOLVA_CALL_SHIM
// The environment that preloads the tests' call shim into the tool, its
// handshake files in `folder`, the address checker told to let it be.
inline std::vector<std::pair<std::string, std::string>> shim_environment(const std::string& folder)
{
  const char* asan = std::getenv("ASAN_OPTIONS");
  return {{"LD_PRELOAD", TOLVA_CALL_SHIM}, {"SHIM_DIR", folder},
          {"ASAN_OPTIONS",
           std::string(asan != nullptr ? asan : "") +
             ":verify_asan_link_order=0:handle_segv=0:handle_sigbus=0:handle_sigfpe=0"}};
}
#endif

}  // namespace testing_support

#endif

// Runs the built tolva executable as a user would, capturing its two
// output streams and its exit status.
#ifndef TOLVA_RUN_TOOL_H
#define TOLVA_RUN_TOOL_H

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

}  // namespace testing_support

#endif

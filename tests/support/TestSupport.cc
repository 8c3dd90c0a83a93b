#include "TestSupport.h"

#include <cstdlib>
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

std::string shared_data(const std::string& relative)
{
  std::string path = std::string(TOLVA_SHARED_DATA) + "/" + relative;
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? path : std::string();
}

std::string test_data(const std::string& relative)
{
  return std::string(TOLVA_TEST_DATA) + "/" + relative;
}

}  // namespace testing_support

// tolva: superimposes structures residue by residue and reports RMSDs, for
// a pair, against the first file (-c), or as a clustered distance matrix.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <ctime>
#include <glob.h>
#include <sys/stat.h>
#include <malloc.h>
#include <iostream>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtk/gtk.h>

#include "ClusterDrawable.h"
#include "Exception.h"
#include "Messagestream.h"
#include "Options.h"
#include "OrderedLoad.h"
#include "PhaseTimes.h"
#include "PipeInput.h"
#include "ResidueType.h"
#include "RmsEngine.h"
#include "SignalCleanup.h"
#include "StandIns.h"
#include "StandardOutput.h"
#include "TesselInit.h"

namespace {

const int kGlobFlags = GLOB_NOCHECK;  // an unmatched pattern comes back as itself

// The largest -j count taken: more threads than any machine has cores is
// a typing error, not a request.
const long kMaxJobs = 4096;

int parse_jobs(const char* text)
{
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || n < 0 || n > kMaxJobs) {
    CException e("Invalid number of jobs: ");
    e << text;
    throw e;
  }
  return static_cast<int>(n);
}

// The paths of the command line or the list file, in order, gathered
// before any is loaded so that they load side by side. A failure met while
// gathering them comes after every path gathered before it: it is kept
// and raised once those have loaded.
struct Inputs
{
  std::vector<std::string> paths;
  std::exception_ptr failure;
};

// An existing path is taken as it is, so that a file whose name holds
// pattern characters is never replaced by another; only a name of nothing
// is expanded, into every path it matches, in glob order.
void add_pattern(Inputs& inputs, const std::string& pattern)
{
  struct stat st;
  const bool exists = lstat(pattern.c_str(), &st) == 0;
  // Nor is a name through a closed standard descriptor, which glob would
  // give back cut short: its load refuses it as it stands.
  if (exists || tolva::names_closed_descriptor(pattern.c_str())) {
    if (exists && S_ISREG(st.st_mode)) tolva::CPipeInput::NotePlainFile(pattern.c_str());
    inputs.paths.push_back(pattern);
    return;
  }
  glob_t found;
  found.gl_offs = 0;
  int status = glob(pattern.c_str(), kGlobFlags, nullptr, &found);
  if (status != 0 || found.gl_pathc == 0) {
    if (status == 0) globfree(&found);
    CException e("File ");
    e << pattern.c_str() << " not found.";
    throw e;
  }
  for (size_t k = 0; k < found.gl_pathc; ++k) inputs.paths.emplace_back(found.gl_pathv[k]);
  globfree(&found);
}

// Ends the run as a list file that cannot be read does, once the paths
// before it have loaded.
class ListFileFailure
{
public:
  ListFileFailure(const std::string& list, int error) : list(list), error(error) {}
  void report() const
  {
    std::cerr << "file named \"" << list << std::flush;
    errno = error;
    std::perror("\" failed to open");
  }

private:
  std::string list;
  int error;
};

[[noreturn]] void list_file_failed(const std::string& list) { throw ListFileFailure(list, errno); }

// The words of a list file, separated by any blank space. A word is a
// path: one longer than a path can be, or holding a NUL, is no list file's.
bool read_word(FILE* file, const std::string& list, std::string& word)
{
  word.clear();
  int c;
  while ((c = std::fgetc(file)) != EOF && std::isspace(static_cast<unsigned char>(c))) {
  }
  while (c != EOF && !std::isspace(static_cast<unsigned char>(c))) {
    if (c == '\0' || word.size() + 1 >= PATH_MAX) {
      CException e("List file ");
      e << list.c_str() << " holds a word that is no path: "
        << (c == '\0' ? "a NUL character" : "longer than the longest path") << ".";
      throw e;
    }
    word += static_cast<char>(c);
    c = std::fgetc(file);
  }
  if (std::ferror(file)) list_file_failed(list);
  return !word.empty();
}

void add_list_file(Inputs& inputs, const std::string& list)
{
  if (tolva::refused_as_closed_descriptor(list.c_str())) list_file_failed(list);
  FILE* file = std::fopen(list.c_str(), "r");
  if (file == nullptr) list_file_failed(list);
  std::string word;
  try {
    while (read_word(file, list, word)) add_pattern(inputs, word);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  std::fclose(file);
}

// The -o file replaces what it names: never one of the inputs, nor the
// list that names them (through a link or under another name), whose
// text it would not carry. A name through a closed standard descriptor
// is refused on its own.
void refuse_output_over_input(const char* output, const std::vector<std::string>& inputs, const std::string* list)
{
  struct stat out, in;
  if (output == nullptr || tolva::names_closed_descriptor(output) || stat(output, &out) != 0) return;
  auto same = [&](const std::string& input) {
    return !tolva::names_closed_descriptor(input.c_str()) && stat(input.c_str(), &in) == 0 &&
           in.st_dev == out.st_dev && in.st_ino == out.st_ino;
  };
  if ((list != nullptr && same(*list)) || std::any_of(inputs.begin(), inputs.end(), same)) {
    CException e("Alignment file ");
    e << output << " is one of the input files.";
    throw e;
  }
}

const char* flag(bool value) { return value ? "true" : "false"; }

void print_sequence(const std::vector<t_Residue*>& sequence)
{
  for (size_t k = 0; k < sequence.size(); ++k) std::cout << (k ? "," : "") << sequence[k]->getName();
}

void print_parameters(tolva::CRmsEngine& engine)
{
  const char* align = engine.GetPdbAlignFile();
  std::cout << "Parameters: " << std::endl;
  std::cout << "  compare         = " << flag(__compare) << std::endl;
  std::cout << "  base_only       = " << flag(__base_only) << std::endl;
  std::cout << "  backbone_only   = " << flag(__backbone_only) << std::endl;
  std::cout << "  strand_eq       = " << flag(__strand_eq) << std::endl;
  std::cout << "  file_eq         = " << flag(__file_eq) << std::endl;
  std::cout << "  validation      = " << flag(__residue_validation) << std::endl;
  std::cout << "  all_atoms       = " << flag(__all_atoms) << std::endl;
  std::cout << "  align filename  = " << (align != nullptr ? align : "(null)") << std::endl;
  std::cout << "  align           = " << engine.GetAlignIds() << std::endl;
  std::cout << "  sequence        = ";
  print_sequence(engine.GetAlignSequence());
  std::cout << std::endl;
  std::cout << "  rmsd            = " << engine.GetRmsdIds() << std::endl;
  std::cout << "  sequence        = ";
  print_sequence(engine.GetRmsdSequence());
  std::cout << std::endl;
  std::cout << "  Files:" << std::endl;
  for (size_t k = 0; k < engine.GetFragCount(); ++k)
    std::cout << "    " << engine.GetFrag(k).GetFileName() << std::endl;
}

// The status of a failed run. Workers that are still waiting on an input
// are not waited for: the process ends at once, without the destructors,
// so the temporary -o file goes first.
int failed()
{
  if (tolva::workers_left_behind()) {
    std::cout.flush();
    tolva::remove_armed_files();
    std::_Exit(1);
  }
  return 1;
}

// Prints the run's error line; the status of a failed run.
int error_line(const CException& e)
{
  std::cerr << kProgramName << ":" << kProgramVersion << ": " << e << std::endl;
  return failed();
}

// The status of a run whose report is written: one that did not reach
// standard output failed.
int output_status(int status)
{
  std::cout.flush();
  try {
    tolva::check_standard_output();
  } catch (const tolva::CClosedOutput&) {
    return failed();
  } catch (const CException& e) {
    return error_line(e);
  }
  return status;
}

// Options, then the files, then the run. Returns only when the run is done.
void run(tolva::CRmsEngine& engine, int argc, char* argv[])
{
  std::string list;
  bool use_list = false;
  // getopt names the option letter of an error in optopt, and leaves it
  // alone for the -? it knows.
  for (optopt = 0; (__current_option = getopt(argc, argv, __shortopts)) != -1; optopt = 0) {
    switch (__current_option) {
      case 'c': __compare = true; break;
      case 'b': __base_only = true; __all_atoms = !__all_atoms; break;
      case 'B': __backbone_only = true; __all_atoms = !__all_atoms; break;
      case 'n': __residue_validation = false; break;
      case 'e': __strand_eq = true; break;
      case 'f': __file_eq = true; break;
      case 'R': __root_only = true; break;
      case 'o': engine.SetPdbAlignFile(optarg); break;
      case 'i': list = optarg; use_list = true; break;
      case 'a': engine.GetAlignIds()._parse_and_insert(optarg); break;
      case 'r': engine.GetRmsdIds()._parse_and_insert(optarg); break;
      case 'j': __nb_threads = parse_jobs(optarg); break;
      case 'v':
        __very_verbose = __verbose;
        __verbose = true;
        gOut->setVerboseLevel(3);
        break;
      case 'V': __version(); std::exit(output_status(0));
      default:  // -h, -H, -? and every option error, which fails the run
        __usage();
        __help();
        std::exit(output_status(optopt != 0 ? 1 : 0));
    }
  }

  std::time_t start = std::time(nullptr);
  Inputs inputs;
  try {
    if (use_list)
      add_list_file(inputs, list);
    else
      for (int k = optind; k < argc; ++k) add_pattern(inputs, argv[k]);
  } catch (...) {
    inputs.failure = std::current_exception();
  }
  refuse_output_over_input(engine.GetPdbAlignFile(), inputs.paths, use_list ? &list : nullptr);
  // What the command line alone can tell fails the run before any input
  // is read: the -o file's place, and the display of a run bound for the
  // window (unless a failure met gathering the paths ends it first).
  engine.PrepareAlignFile();
  if (!inputs.failure && tolva::CRmsEngine::ShowsWindow(inputs.paths.size())) tolva::ClusterDrawable::OpenDisplay();
  engine.AddFrags(inputs.paths);
  if (inputs.failure) std::rethrow_exception(inputs.failure);
  tolva::phase_done("load");

  if (__verbose)
    std::cout << static_cast<unsigned>(engine.GetFragCount()) << " PDB files loaded in "
              << static_cast<long>(std::time(nullptr) - start) << " sec." << std::endl;
  tolva::check_standard_output();
  if (engine.GetFragCount() < 2) throw CException("Not enough files for rmsd comparison");
  engine.Initialize();
  tolva::phase_done("select");
  if (__verbose) print_parameters(engine);
  tolva::check_standard_output();
  engine.Execute();
  std::cout.flush();
  tolva::check_standard_output();
}

}  // namespace

int main(int argc, char* argv[])
{
  // Each file read takes and gives back a few hundred kilobytes: kept by
  // the allocator, rather than returned to the system and faulted in again
  // for the next file. The heaps grow by large steps: each step changes the
  // address space, which stalls every thread that touches new memory.
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TOP_PAD, 16 << 20);
  tolva::take_standard_output();
  tolva::handle_signals_as_first_process();
  TesselInit();
  if (argc == 1) {
    __usage();
    return output_status(0);
  }
  // GTK takes its own options here but opens the display only for the
  // viewer, so that the other modes run without X. Numbers are read and
  // written in the C locale whatever the environment says. GTK ignores
  // SIGPIPE: the inherited action comes back, so that a reader that goes
  // away ends the run as it ends any filter.
  struct sigaction inherited;
  sigaction(SIGPIPE, nullptr, &inherited);
  gtk_parse_args(&argc, &argv);
  sigaction(SIGPIPE, &inherited, nullptr);
  std::setlocale(LC_NUMERIC, "C");
  tolva::phase_done("start");

  {
    tolva::CRmsEngine engine;
    try {
      run(engine, argc, argv);
    } catch (const tolva::CClosedOutput&) {
      return failed();
    } catch (const ListFileFailure& failure) {
      failure.report();
      return failed();
    } catch (const CException& e) {
      return error_line(e);
    } catch (const std::bad_alloc&) {
      return error_line(CException("Out of memory."));
    } catch (const std::exception& e) {
      return error_line(CException(e.what()));
    }
  }
  tolva::phase_done("teardown");
  return 0;
}

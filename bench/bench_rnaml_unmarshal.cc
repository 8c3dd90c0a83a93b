// Unmarshalling a generated RNAML document with validation: one molecule
// whose model holds bases of 20 atoms each, about 100 bytes of text per
// atom (5 MB: about 50,000 atoms). Twice the document must take at most
// twice the time.
//
//   bench_rnaml_unmarshal                      the benchmarks (5 and 10 MB)
//   bench_rnaml_unmarshal --make MB FILE       writes the document of MB megabytes
//   bench_rnaml_unmarshal --read FILE          reads FILE once, validated; prints
//                                              the peak memory it took (exit status
//                                              1 when no root came out)
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "rnaml.h"

namespace {

std::string rnaml_document(size_t bytes, long* atoms)
{
  static const char* const names[] = {"P",  "OP1", "OP2", "O5'", "C5'", "C4'", "O4'", "C3'", "O3'", "C2'",
                                      "O2'", "C1'", "N9",  "C8",  "N7",  "C5",  "C6",  "N1",  "C2",  "N3"};
  std::string doc =
    "<?xml version=\"1.0\"?>\n<!DOCTYPE rnaml SYSTEM \"rnaml.dtd\">\n<rnaml version=\"1.1\">\n"
    "<molecule id=\"m1\">\n<structure>\n<model id=\"x1\">\n";
  char line[256];
  *atoms = 0;
  for (int base = 1; doc.size() < bytes; ++base) {
    std::snprintf(line, sizeof line, "<base>\n<position>%d</position>\n<base-type>%c</base-type>\n", base,
                  "ACGU"[base % 4]);
    doc += line;
    for (int a = 0; a < 20; ++a, ++*atoms) {
      std::snprintf(line, sizeof line,
                    "<atom><atom-type>%s</atom-type><coordinates>%.3f %.3f %.3f</coordinates></atom>\n",
                    names[a], base * 0.731 + a, -base * 0.117 - a * 1.5, a * 2.25 + 0.001 * base);
      doc += line;
    }
    doc += "</base>\n";
  }
  return doc + "</model>\n</structure>\n</molecule>\n</rnaml>\n";
}

std::string scratch(int megabytes, long* atoms)
{
  const std::string path = "/tmp/bench_rnaml_unmarshal." + std::to_string(getpid()) + "." +
                           std::to_string(megabytes) + ".xml";
  std::string doc = rnaml_document(static_cast<size_t>(megabytes) * 1000000, atoms);
  FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(doc.data(), 1, doc.size(), file);
  std::fclose(file);
  return path;
}

rnamlOBJECT* read_validated(rnamlOBJECT* unmarshaller, const std::string& path)
{
  FILE* file = std::fopen(path.c_str(), "r");
  rnamlOBJECT* root = rnamlunmarshallUnmarshaller(unmarshaller, file);
  std::fclose(file);
  return root;
}

void BM_UnmarshalValidated(benchmark::State& state)
{
  long atoms;
  const std::string path = scratch(static_cast<int>(state.range(0)), &atoms);
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  rnamlsetUnmarshallerValidating(unmarshaller, 1);
  for (auto _ : state) {
    rnamlOBJECT* root = read_validated(unmarshaller, path);
    if (!root) state.SkipWithError(rnamlgetReason());
    state.PauseTiming();
    rnamldelete(root);
    state.ResumeTiming();
  }
  state.counters["atoms"] = static_cast<double>(atoms);
  state.SetBytesProcessed(state.iterations() * state.range(0) * 1000000);
  rnamldelete(unmarshaller);
  std::remove(path.c_str());
}
BENCHMARK(BM_UnmarshalValidated)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  if (argc == 4 && std::strcmp(argv[1], "--make") == 0) {
    long atoms;
    std::string doc = rnaml_document(static_cast<size_t>(std::atol(argv[2])) * 1000000, &atoms);
    FILE* file = std::fopen(argv[3], "wb");
    std::fwrite(doc.data(), 1, doc.size(), file);
    std::fclose(file);
    std::printf("%zu bytes, %ld atoms\n", doc.size(), atoms);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--read") == 0) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    long before = usage.ru_maxrss;
    rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
    rnamlsetUnmarshallerValidating(unmarshaller, 1);
    rnamlOBJECT* root = read_validated(unmarshaller, argv[2]);
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak grew by %ld KiB\n", usage.ru_maxrss - before);
    rnamldelete(root);
    rnamldelete(unmarshaller);
    return root ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Writes an RNAML document through the binding's own marshaller: the ATOM
// records of a PDB file's first model (waters and ligands left out),
// repeated to reach the size wanted, for the RNAML reading timed by hand
// (a program of its own, not a benchmark).
//
//     write_rnaml STRUCTURE.pdb[.gz] OUT.xml[.gz] [COPIES]
//
// Copy k (from 0) has its residues numbered k times the largest number of
// the structure higher, and lies k times 100 Angstroms along x, so that
// every residue id stays one of its own. OUT is gzip-compressed when its
// name ends in ".gz".
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "RnamlDocuments.h"

namespace {

std::vector<std::string> first_model_atoms(const char* path)
{
  gzFile in = gzopen(path, "rb");
  if (in == nullptr) return {};
  std::vector<std::string> atoms;
  char line[256];
  while (gzgets(in, line, sizeof line) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (text.compare(0, 6, "ENDMDL") == 0) break;
    if (text.compare(0, 6, "ATOM  ") == 0 && text.size() >= 54)
      atoms.push_back(text);
  }
  gzclose(in);
  return atoms;
}

// The line of copy k: residue number and x moved, in their columns.
std::string copied(const std::string& line, int k, int step)
{
  char number[8], x[16];
  std::snprintf(number, sizeof number, "%4d", std::stoi(line.substr(22, 4)) + k * step);
  std::snprintf(x, sizeof x, "%8.3f", std::stod(line.substr(30, 8)) + 100.0 * k);
  return line.substr(0, 22) + number + line.substr(26, 4) + x + line.substr(38);
}

}  // namespace

int main(int argc, char** argv)
{
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s STRUCTURE.pdb[.gz] OUT.xml[.gz] [COPIES]\n", argv[0]);
    return 2;
  }
  const int copies = argc > 3 ? std::atoi(argv[3]) : 1;
  std::vector<std::string> atoms = first_model_atoms(argv[1]);
  int step = 0;
  for (const std::string& line : atoms) step = std::max(step, std::stoi(line.substr(22, 4)));
  if (atoms.empty() || copies < 1 || copies * step > 9999) {
    std::fprintf(stderr, "%s: no atoms, or too many copies for four-column residue numbers\n", argv[1]);
    return 1;
  }
  std::vector<std::string> lines;
  for (int k = 0; k < copies; ++k)
    for (const std::string& line : atoms) lines.push_back(copied(line, k, step));
  rnaml::Rnaml document;
  document.addChild(testing_support::rnaml_molecule(lines));
  const std::string out = argv[2];
  const bool gzip = out.size() > 3 && out.compare(out.size() - 3, 3, ".gz") == 0;
  testing_support::write_rnaml(document, out, gzip);
  std::printf("%zu atoms written to %s\n", lines.size(), argv[2]);
  return 0;
}

// Shared by the model and molecule tests: PDB text built from the real
// residues of 1LCD, read into models, and the records of written text.
#ifndef TOLVA_MODEL_TEST_SUPPORT_H
#define TOLVA_MODEL_TEST_SUPPORT_H

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "Model.h"
#include "Pdbstream.h"
#include "ResidueCoordinates.h"

namespace model_test {

using residue_test::AtomRow;

inline std::string atom_line(const char* name, const char* residue, char chain, int number,
                             float x, float y, float z)
{
  char line[96];
  std::snprintf(line, sizeof line, "ATOM  %5d %-4.4s %3.3s %c%4d    %8.3f%8.3f%8.3f  1.00 20.00\n",
                1, name, residue, chain, number, x, y, z);
  return line;
}

// The atom lines of a residue of 1LCD under another name and id.
template <std::size_t N>
std::string lines_of(const AtomRow (&rows)[N], const char* residue, char chain, int number)
{
  std::string text;
  for (const AtomRow& r : rows)
    text += atom_line((*r.type)->getPdbName(), residue, chain, number, r.x, r.y, r.z);
  return text;
}

inline void read_model(const std::string& text, Model& model)
{
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  in >> model;
}

// The lines of written text, without their line ends.
inline std::vector<std::string> lines(const std::string& text)
{
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

// The first six columns of every line: the record names in order.
inline std::vector<std::string> records(const std::string& text)
{
  std::vector<std::string> result;
  for (const std::string& l : lines(text)) result.push_back(l.substr(0, 6));
  return result;
}

}  // namespace model_test

#endif

// Small PDB files made by the tests from the shipped example structures:
// rigid copies, residues displaced by known vectors, renumbered copies.
#ifndef TOLVA_TEST_STRUCTURE_FILES_H
#define TOLVA_TEST_STRUCTURE_FILES_H

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// One ATOM or HETATM line, split into the fields the tests touch.
struct AtomLine
{
  std::string text;  // the whole line
  std::string name() const { return text.substr(12, 4); }
  std::string residue_name() const { return text.substr(17, 3); }
  char chain() const { return text[21]; }
  int number() const { return std::stoi(text.substr(22, 4)); }
  double x() const { return std::stod(text.substr(30, 8)); }
  double y() const { return std::stod(text.substr(38, 8)); }
  double z() const { return std::stod(text.substr(46, 8)); }
  void set_xyz(double x, double y, double z);
  void set_number(int n);
  bool is_hydrogen() const;
};

// Every atom line of a PDB file, plain or gzip (the first model only),
// and with `ter` its TER records too, blank-padded to their id columns.
std::vector<AtomLine> read_atoms(const std::string& path, bool ter = false);
void write_atoms(const std::string& path, const std::vector<AtomLine>& atoms);

// The shipped NMR models of 1LCD, one per file.
std::string example(int model);

// A rotation about an axis through the origin by `angle` radians, then a
// translation: applied to every atom.
std::vector<AtomLine> moved(std::vector<AtomLine> atoms, double angle, double tx, double ty, double tz);
// Every atom of the residues the predicate picks translated by (dx, dy, dz).
std::vector<AtomLine> displaced(std::vector<AtomLine> atoms, const std::function<bool(const AtomLine&)>& which,
                                double dx, double dy, double dz);

// The structures of an -o file, each a list of atom lines, in file order.
std::vector<std::vector<AtomLine>> read_aligned(const std::string& path);

}  // namespace testing_support

#endif

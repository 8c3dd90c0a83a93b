#include "StructureFiles.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <zlib.h>

namespace testing_support {

void AtomLine::set_xyz(double nx, double ny, double nz)
{
  char field[32];
  std::snprintf(field, sizeof field, "%8.3f%8.3f%8.3f", nx, ny, nz);
  text.replace(30, 24, field);
}

void AtomLine::set_number(int n)
{
  char field[8];
  std::snprintf(field, sizeof field, "%4d", n);
  text.replace(22, 4, field);
}

bool AtomLine::is_hydrogen() const
{
  std::string n;
  for (char c : name())
    if (c != ' ') n += c;
  if (n.empty()) return false;
  char first = (n[0] >= '0' && n[0] <= '9' && n.size() > 1) ? n[1] : n[0];
  return first == 'H';
}

std::vector<AtomLine> read_atoms(const std::string& path, bool ter)
{
  gzFile file = gzopen(path.c_str(), "rb");
  if (file == nullptr) throw std::runtime_error("cannot read " + path);
  std::vector<AtomLine> atoms;
  char buffer[512];
  while (gzgets(file, buffer, sizeof buffer) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.rfind("ENDMDL", 0) == 0) break;
    if (ter && line.rfind("TER", 0) == 0) atoms.push_back({line.size() < 27 ? line.append(27 - line.size(), ' ') : line});
    if ((line.rfind("ATOM  ", 0) == 0 || line.rfind("HETATM", 0) == 0) && line.size() >= 54)
      atoms.push_back({line});
  }
  gzclose(file);
  return atoms;
}

void write_atoms(const std::string& path, const std::vector<AtomLine>& atoms)
{
  std::ofstream out(path);
  for (const AtomLine& a : atoms) out << a.text << "\n";
  out << "END\n";
}

std::string example(int model)
{
  return std::string(TOLVA_SOURCE_DIR) + "/examples/1lcd-model" + std::to_string(model) + ".pdb.gz";
}

std::vector<AtomLine> moved(std::vector<AtomLine> atoms, double angle, double tx, double ty, double tz)
{
  // About the unit axis (1, 2, 2) / 3, by Rodrigues' formula.
  const double u[3] = {1.0 / 3, 2.0 / 3, 2.0 / 3};
  const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
  const double R[3][3] = {{c + u[0] * u[0] * k, u[0] * u[1] * k - u[2] * s, u[0] * u[2] * k + u[1] * s},
                          {u[1] * u[0] * k + u[2] * s, c + u[1] * u[1] * k, u[1] * u[2] * k - u[0] * s},
                          {u[2] * u[0] * k - u[1] * s, u[2] * u[1] * k + u[0] * s, c + u[2] * u[2] * k}};
  for (AtomLine& a : atoms) {
    const double p[3] = {a.x(), a.y(), a.z()};
    double q[3];
    for (int i = 0; i < 3; ++i) q[i] = R[i][0] * p[0] + R[i][1] * p[1] + R[i][2] * p[2];
    a.set_xyz(q[0] + tx, q[1] + ty, q[2] + tz);
  }
  return atoms;
}

std::vector<AtomLine> displaced(std::vector<AtomLine> atoms, const std::function<bool(const AtomLine&)>& which,
                                double dx, double dy, double dz)
{
  for (AtomLine& a : atoms)
    if (which(a)) a.set_xyz(a.x() + dx, a.y() + dy, a.z() + dz);
  return atoms;
}

std::vector<std::vector<AtomLine>> read_aligned(const std::string& path)
{
  std::ifstream in(path);
  std::vector<std::vector<AtomLine>> structures;
  std::string line;
  bool open = false;
  while (std::getline(in, line)) {
    if (line.rfind("REMARK 220 Original file: ", 0) == 0) {
      structures.emplace_back();
      open = true;
    } else if (line == "REMARK") {
      open = false;
    } else if (open && line.rfind("ATOM  ", 0) == 0) {
      structures.back().push_back({line});
    }
  }
  return structures;
}

}  // namespace testing_support

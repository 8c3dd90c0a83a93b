// Writes RNAML documents with the binding's own classes and marshaller, for
// the tests of what reads them. PDB text is taken apart here column by
// column, never through the library's readers. Header only: test programs
// that do not link the rnaml layer never see it.
#ifndef TOLVA_RNAML_DOCUMENTS_H
#define TOLVA_RNAML_DOCUMENTS_H

#include <stdexcept>
#include <string>
#include <vector>

#include "Elements.h"
#include "rnamlMarshaller.h"
#include "vortanOutputStream.h"
#include "vortanPrintStream.h"

namespace testing_support {

// Writes the document, indented; gzip-compressed when asked.
inline void write_rnaml(const rnaml::Rnaml& document, const std::string& path, bool gzip = false)
{
  vortanOUTPUTSTREAM* file = vortannewFileOutputStreamString(path.c_str());
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  vortanPRINTSTREAM* out = vortannewPrintStream(gzip ? vortannewGZIPOutputStream(file) : file);
  rnamlOBJECT* marshaller = rnamlnewMarshaller();
  rnamlsetMarshallerFormatted(marshaller, 1);
  rnamlmarshallMarshallerStream(marshaller, document.getCStructure(), out);
  rnamldelete(marshaller);
  vortanclosePrintStream(out);
  vortandeletePrintStream(out);
}

// Columns first..last (counted from 1) with their trailing blanks cut: a
// leading blank stays, as in the atom name " O3'".
inline std::string pdb_columns(const std::string& line, size_t first, size_t last)
{
  std::string text = line.substr(first - 1, last - first + 1);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The atom lines as one molecule: its structure holds one model with one
// base per run of lines of one residue (name, chain, number, insertion
// code) and one atom per line, named and placed as in the line.
inline rnaml::Molecule* rnaml_molecule(const std::vector<std::string>& lines, const char* id = "m1")
{
  rnaml::Molecule* molecule = new rnaml::Molecule;
  molecule->setId(id);
  rnaml::Structure* structure = new rnaml::Structure;
  rnaml::Model* model = new rnaml::Model;
  rnaml::Base* base = nullptr;
  std::string residue;
  for (const std::string& line : lines) {
    if (base == nullptr || line.substr(17, 10) != residue) {
      residue = line.substr(17, 10);
      base = new rnaml::Base;
      std::string chain = pdb_columns(line, 22, 22);
      if (!chain.empty()) base->setStrand(chain.c_str());
      base->setPosition(std::stoi(line.substr(22, 4)));
      std::string name = pdb_columns(line, 18, 20);
      size_t first = name.find_first_not_of(' ');
      base->setBaseType(first == std::string::npos ? "" : name.c_str() + first);
      if (line[26] != ' ') base->setInsertion(line[26]);
      model->addBase(base);
    }
    rnaml::Atom* atom = new rnaml::Atom;
    atom->setAtomType(pdb_columns(line, 13, 16).c_str());
    atom->setX(static_cast<float>(std::stod(line.substr(30, 8))));
    atom->setY(static_cast<float>(std::stod(line.substr(38, 8))));
    atom->setZ(static_cast<float>(std::stod(line.substr(46, 8))));
    base->addAtom(atom);
  }
  structure->addModel(model);
  molecule->setStructure(structure);
  return molecule;
}

}  // namespace testing_support

#endif

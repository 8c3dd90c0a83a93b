#include "Molecule.h"

#include <ostream>

#include "Model.h"
#include "Pdbstream.h"

Molecule::Molecule(const Molecule& other) : properties(other.properties)
{
  models.reserve(other.models.size());
  for (const Model* m : other.models) models.push_back(m->clone());
}

Molecule& Molecule::operator=(const Molecule& other)
{
  if (this == &other) return *this;
  clear();
  for (const Model* m : other.models) models.push_back(m->clone());
  properties = other.properties;
  return *this;
}

Molecule::~Molecule() { clear(); }

void Molecule::clear()
{
  for (Model* m : models) delete m;
  models.clear();
  properties.clear();
}

const char* Molecule::getProperty(const char* key) const
{
  if (key == nullptr) return nullptr;
  std::map<std::string, std::string>::const_iterator p = properties.find(key);
  return p == properties.end() ? nullptr : p->second.c_str();
}

void Molecule::setProperty(const char* key, const char* value)
{
  if (key != nullptr) properties[key] = value != nullptr ? value : "";
}

iPdbstream& operator>>(iPdbstream& is, Molecule& molecule)
{
  molecule.clear();
  while (is && !is.IsEND()) {
    Model* model = new Model;
    is >> *model;
    if (model->empty())
      delete model;
    else
      molecule.push_back(model);
  }
  return is;
}

oPdbstream& operator<<(oPdbstream& os, const Molecule& molecule)
{
  if (molecule.size() == 1) return os << **molecule.begin();
  for (const Model* model : molecule) os.putmodel(*model);
  return os;
}

std::ostream& operator<<(std::ostream& os, const Molecule& molecule)
{
  os << "MOLECULE: " << std::endl;
  for (const auto& property : molecule.getProperties())
    os << "  " << property.first << " = " << property.second << std::endl;
  for (const Model* model : molecule) os << *model << std::endl;
  return os;
}

// All the models of one structure (the MODEL blocks of a PDB file, the
// models of an RNAML molecule), with named text properties.
#ifndef TESSEL_MOLECULE_H
#define TESSEL_MOLECULE_H

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

class iPdbstream;
class Model;
class oPdbstream;

class Molecule
{
  typedef std::vector<Model*> List;

public:
  typedef List::iterator iterator;
  typedef List::const_iterator const_iterator;

  Molecule() = default;
  Molecule(const Molecule& other);
  Molecule& operator=(const Molecule& other);
  virtual Molecule* clone() const { return new Molecule(*this); }
  virtual ~Molecule();

  iterator begin() { return models.begin(); }
  iterator end() { return models.end(); }
  const_iterator begin() const { return models.begin(); }
  const_iterator end() const { return models.end(); }
  size_t size() const { return models.size(); }
  bool empty() const { return models.empty(); }
  // Takes ownership of the model.
  void push_back(Model* model) { models.push_back(model); }

  // The value stored under the key, or null.
  const char* getProperty(const char* key) const;
  void setProperty(const char* key, const char* value);
  const std::map<std::string, std::string>& getProperties() const { return properties; }

  // Deletes every model and property.
  void clear();

private:
  List models;
  std::map<std::string, std::string> properties;
};

// Reads every model, up to END or the end of input.
iPdbstream& operator>>(iPdbstream& is, Molecule& molecule);
// One model alone; several each between MODEL and ENDMDL.
oPdbstream& operator<<(oPdbstream& os, const Molecule& molecule);
std::ostream& operator<<(std::ostream& os, const Molecule& molecule);

#endif

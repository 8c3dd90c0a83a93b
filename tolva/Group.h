// One node of the complete-linkage cluster tree: a leaf holds one
// structure, an inner node the union of its two children.
#ifndef TOLVA_GROUP_H
#define TOLVA_GROUP_H

#include <iosfwd>
#include <set>

namespace tolva {

class CRmsEngine;

class CGroup
{
public:
  // A leaf: one structure, formed at distance 0 (or as given).
  CGroup(float distance, int index, CRmsEngine* engine);
  // An inner node; takes over both children.
  CGroup(float distance, CRmsEngine* engine, CGroup* left, CGroup* right);
  CGroup(const CGroup& other);
  CGroup& operator=(const CGroup& other);
  ~CGroup();

  // Complete linkage: the largest distance between a member of this group
  // and one of the other.
  float Distance(const CGroup& other) const;
  // The member whose summed squared distance to the others is least; the
  // lowest index among ties.
  void FindLMS();
  // Lays the subtree out in the box: leaves on the left edge in tree order,
  // inner nodes at a height proportional to their merge distance.
  void SetInSpace(float x0, float y0, float width, float height);
  float SetInSpace(float x0, float y0, float width, float height, float step, float rootDistance, float y);
  // Writes the members, chained onto each other, to a private temporary
  // PDB file and starts the external viewer on it; the main loop reaps the
  // viewer and removes the file when it ends.
  void RasmolDisplay();

  float GetDistance() const { return distance; }
  const std::set<int>& GetMembers() const { return members; }
  int GetLMS() const { return lms; }
  const CGroup* GetLeft() const { return left; }
  const CGroup* GetRight() const { return right; }
  CGroup* GetLeft() { return left; }
  CGroup* GetRight() { return right; }
  bool IsLeaf() const { return left == nullptr && right == nullptr; }
  float GetX() const { return x; }
  float GetY() const { return y; }
  CRmsEngine* GetEngine() const { return engine; }

private:
  void copy_children(const CGroup& other);

  float distance;
  std::set<int> members;
  CRmsEngine* engine;
  CGroup* left;
  CGroup* right;
  float x;
  float y;
  int lms;
};

std::ostream& operator<<(std::ostream& os, CGroup& group);

}  // namespace tolva

#endif

// Base of every world object: a name that is its key in the whole system, and a per-frame update.
// Drawing is the renderer's, which reads the objects' billboards.
#pragma once

#include <string>

class GOB {
 public:
  explicit GOB(std::string objectName) : name(std::move(objectName)) {}
  virtual ~GOB() = default;
  GOB(const GOB&) = delete;
  GOB& operator=(const GOB&) = delete;

  virtual void Update(float dt) = 0;

  std::string name;
};

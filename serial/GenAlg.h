#pragma once
// Generic containers: a last-in first-out stack of untyped item references.
// Not thread-safe; the owner serialises access.

#include <stdexcept>

namespace serial {

class EGenericAlg : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TGenericStruct {
 public:
  virtual ~TGenericStruct() = default;
  virtual bool IsEmpty() const = 0;
};

// Nodes are owned by the stack, items are not: the stack never releases an item.
class TStack : public TGenericStruct {
 public:
  TStack() = default;
  ~TStack() override;
  TStack(const TStack&) = delete;
  TStack& operator=(const TStack&) = delete;

  void Push(void* item);
  // Raises EGenericAlg("Stack is empty") when there is nothing to pop.
  void* Pop();
  bool IsEmpty() const override { return Top == nullptr; }

 private:
  struct TNode {
    void* Item;
    TNode* Next;
  };
  TNode* Top = nullptr;
};

}  // namespace serial

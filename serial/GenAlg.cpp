#include "serial/GenAlg.h"

namespace serial {

TStack::~TStack() {
  while (Top != nullptr) {
    TNode* node = Top;
    Top = node->Next;
    delete node;
  }
}

void TStack::Push(void* item) { Top = new TNode{item, Top}; }

void* TStack::Pop() {
  if (IsEmpty()) throw EGenericAlg("Stack is empty");
  TNode* node = Top;
  Top = node->Next;
  void* item = node->Item;
  delete node;
  return item;
}

}  // namespace serial

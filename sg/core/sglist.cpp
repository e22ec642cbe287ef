#include "sg/core/sglist.h"

#include "sg/core/malloc.h"
#include "sg/core/sgassert.h"

SGListNode* SGListNew() { return nullptr; }

SGListNode* SGListPush(SGListNode** head, std::uintptr_t value) {
  auto* node = static_cast<SGListNode*>(SGMalloc(sizeof(SGListNode)));
  if (node == nullptr) {
    return nullptr;
  }
  node->lnValue = value;
  node->lnNext = *head;
  node->lnBack = head;
  if (*head != nullptr) {
    (*head)->lnBack = &node->lnNext;
  }
  *head = node;
  return node;
}

SGListNode* SGListRemove(SGListNode* lst, SGListNode* p) {
  ISG_ASSERT(p, "sglist");
  ISG_ASSERT(lst, "sglist");
  SGListNode* next = p->lnNext;
  *p->lnBack = next;
  if (next != nullptr) {
    next->lnBack = p->lnBack;
  }
  SGFree(p);
  return lst == p ? next : lst;
}

SGListNode* SGListFind(SGListNode* first, std::uintptr_t value) {
  for (SGListNode* n = first; n != nullptr; n = n->lnNext) {
    if (n->lnValue == value) {
      return n;
    }
  }
  return nullptr;
}

SGError SGListFree(SGListNode* first) {
  if (first == nullptr) {
    return SG_ERROR_NONE;
  }
  *first->lnBack = nullptr;
  while (first != nullptr) {
    SGListNode* next = first->lnNext;
    SGFree(first);
    first = next;
  }
  return SG_ERROR_NONE;
}

#pragma once
// A doubly linked list whose head is a plain variable holding the first node.
// Each node's back link is the address of the pointer that points at it (the
// head variable or the previous node's next field). Values are pointer-sized.

#include <cstdint>

#include "sg/core/sgerror.h"

struct SGListNode {
  SGListNode* lnNext;
  SGListNode** lnBack;
  std::uintptr_t lnValue;
};

// An empty list (null).
SGListNode* SGListNew();
// A new node at the front of the list whose head variable is `*head`; null when
// out of memory.
SGListNode* SGListPush(SGListNode** head, std::uintptr_t value);
// Unlinks and frees `p`; returns where to continue: p's successor when `lst` is
// p, otherwise `lst`.
SGListNode* SGListRemove(SGListNode* lst, SGListNode* p);
// The first node from `first` on that holds `value`, or null.
SGListNode* SGListFind(SGListNode* first, std::uintptr_t value);
// Empties the list that `first` heads (its head variable becomes null) and frees
// every node; null is accepted.
SGError SGListFree(SGListNode* first);

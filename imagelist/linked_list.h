#pragma once
// The program's doubly linked list with one built-in cursor. Values live in
// the nodes, so a node pointer stays valid until that node is removed; that is
// what lets callers keep a node (search items, tab pages) while the list grows.
#include <cstdint>
#include <utility>

template <class T>
struct LinkedListNode {
  LinkedListNode* next = nullptr;
  LinkedListNode* prev = nullptr;
  T value;

  template <class... A>
  explicit LinkedListNode(A&&... args) : value(std::forward<A>(args)...) {}
};

// Owns the nodes; keeps count, head, tail and the walking cursor.
template <class T>
class LinkedList_Basic {
 public:
  using Node = LinkedListNode<T>;

  LinkedList_Basic() = default;
  ~LinkedList_Basic() { Clear(); }
  LinkedList_Basic(const LinkedList_Basic&) = delete;
  LinkedList_Basic& operator=(const LinkedList_Basic&) = delete;

  // Adds at the tail; returns the new node.
  template <class... A>
  Node* Append(A&&... args) {
    Node* node = new Node(std::forward<A>(args)...);
    node->prev = tail_;
    if (tail_) tail_->next = node; else head_ = node;
    tail_ = node;
    ++count_;
    return node;
  }

  // Adds at the head; returns the new node.
  template <class... A>
  Node* Prepend(A&&... args) {
    Node* node = new Node(std::forward<A>(args)...);
    node->next = head_;
    if (head_) head_->prev = node; else tail_ = node;
    head_ = node;
    ++count_;
    return node;
  }

  // Unlinks and frees a node of this list; a cursor standing on it moves to the next node.
  void Remove(Node* node) {
    if (!node) return;
    if (cursor_ == node) {
      cursor_ = node->next;
      onNode_ = cursor_ != nullptr;
    }
    Unlink(node);
    delete node;
  }

  // Moves a node of this list to the head, keeping its value and address.
  void MoveToFront(Node* node) {
    if (!node || node == head_) return;
    Unlink(node);
    node->next = head_;
    head_->prev = node;  // head_ is non-null: the list held node and another
    head_ = node;
    ++count_;
  }

  void RemoveHead() { Remove(head_); }
  void RemoveTail() { Remove(tail_); }

  // Frees every node and drops the cursor.
  void Clear() {
    Node* node = head_;
    while (node) {
      Node* next = node->next;
      delete node;
      node = next;
    }
    head_ = tail_ = cursor_ = nullptr;
    onNode_ = false;
    count_ = 0;
  }

  int32_t Count() const { return count_; }
  bool Empty() const { return count_ == 0; }
  Node* Head() const { return head_; }
  Node* Tail() const { return tail_; }

  // Puts the cursor on the head; false when the list is empty.
  bool MoveFirst() {
    cursor_ = head_;
    onNode_ = cursor_ != nullptr;
    return onNode_;
  }
  // Follows the next link; false (and the cursor off the list) past the tail.
  bool MoveNext() {
    if (!onNode_) return false;
    cursor_ = cursor_->next;
    onNode_ = cursor_ != nullptr;
    return onNode_;
  }
  // True while the cursor stands on a node.
  bool OnNode() const { return onNode_; }
  // The node under the cursor, or null.
  Node* CurrentNode() const { return onNode_ ? cursor_ : nullptr; }
  // The value under the cursor; only while OnNode().
  T& Current() const { return cursor_->value; }

  // True when node belongs to this list (linear walk).
  bool Contains(const Node* node) const {
    for (Node* n = head_; n; n = n->next)
      if (n == node) return true;
    return false;
  }

 private:
  void Unlink(Node* node) {
    if (node->prev) node->prev->next = node->next; else head_ = node->next;
    if (node->next) node->next->prev = node->prev; else tail_ = node->prev;
    node->next = node->prev = nullptr;
    --count_;
  }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  Node* cursor_ = nullptr;
  bool onNode_ = false;
  int32_t count_ = 0;
};

// The list most code uses: the node list plus a second list naming nodes that
// are to be removed later, so a walk can mark nodes without losing its place.
template <class T>
class LinkedList : public LinkedList_Basic<T> {
 public:
  using Node = LinkedListNode<T>;

  LinkedList() = default;
  ~LinkedList() { Clear(); }

  // Notes a node for removal by RemoveMarked; noting it twice is harmless.
  void MarkForRemoval(Node* node) {
    if (!node) return;
    for (auto* m = marked_.Head(); m; m = m->next)
      if (m->value == node) return;
    marked_.Append(node);
  }
  // Removes every noted node that is still in the list, then forgets the notes.
  void RemoveMarked() {
    for (auto* m = marked_.Head(); m; m = m->next)
      if (this->Contains(m->value)) this->Remove(m->value);
    marked_.Clear();
  }
  int32_t MarkedCount() const { return marked_.Count(); }

  // Removes the noted nodes, then frees the rest.
  void Clear() {
    RemoveMarked();
    LinkedList_Basic<T>::Clear();
  }

 private:
  LinkedList_Basic<Node*> marked_;
};

#include "imagelist/linked_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

template <class L>
std::vector<std::string> Walk(L& list) {
  std::vector<std::string> out;
  for (bool on = list.MoveFirst(); on; on = list.MoveNext()) out.push_back(list.Current());
  return out;
}

template <class L>
std::vector<std::string> WalkBack(const L& list) {
  std::vector<std::string> out;
  for (auto* n = list.Tail(); n; n = n->prev) out.push_back(n->value);
  return out;
}

using Strings = std::vector<std::string>;

TEST(LinkedList, AppendKeepsOrderAndLinksBothWays) {
  LinkedList<std::string> list;
  list.Append("a");
  list.Append("b");
  list.Append("c");
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(Walk(list), (Strings{"a", "b", "c"}));
  EXPECT_EQ(WalkBack(list), (Strings{"c", "b", "a"}));
}

TEST(LinkedList, CursorFallsOffPastTailAndStaysOff) {
  LinkedList<std::string> list;
  EXPECT_FALSE(list.MoveFirst());
  EXPECT_FALSE(list.OnNode());
  list.Append("only");
  ASSERT_TRUE(list.MoveFirst());
  EXPECT_TRUE(list.OnNode());
  EXPECT_FALSE(list.MoveNext());
  EXPECT_FALSE(list.OnNode());
  EXPECT_EQ(list.CurrentNode(), nullptr);
  EXPECT_FALSE(list.MoveNext());
}

TEST(LinkedList, RemoveRelinksNeighboursAndMovesCursorOn) {
  struct Case {
    int remove;  // index of the node to remove
    Strings forward;
  } cases[] = {{0, {"b", "c"}}, {1, {"a", "c"}}, {2, {"a", "b"}}};
  for (const Case& c : cases) {
    LinkedList<std::string> list;
    LinkedListNode<std::string>* nodes[3] = {list.Append("a"), list.Append("b"), list.Append("c")};
    list.MoveFirst();
    for (int i = 0; i < c.remove; ++i) list.MoveNext();
    list.Remove(nodes[c.remove]);
    EXPECT_EQ(Walk(list), c.forward) << c.remove;
    Strings back(c.forward.rbegin(), c.forward.rend());
    EXPECT_EQ(WalkBack(list), back) << c.remove;
    EXPECT_EQ(list.Count(), 2);
  }
  // The cursor on a removed node steps to its successor, so a walk can delete as it goes.
  LinkedList<std::string> list;
  list.Append("x");
  auto* y = list.Append("y");
  list.Append("z");
  list.MoveFirst();
  list.MoveNext();
  list.Remove(y);
  ASSERT_TRUE(list.OnNode());
  EXPECT_EQ(list.Current(), "z");
}

TEST(LinkedList, PrependMoveToFrontAndTrimFromTail) {
  LinkedList<std::string> list;
  list.Append("b");
  list.Prepend("a");
  auto* c = list.Append("c");
  list.MoveToFront(c);
  EXPECT_EQ(Walk(list), (Strings{"c", "a", "b"}));
  EXPECT_EQ(WalkBack(list), (Strings{"b", "a", "c"}));
  list.MoveToFront(list.Head());
  EXPECT_EQ(list.Count(), 3);
  list.RemoveTail();
  list.RemoveHead();
  EXPECT_EQ(Walk(list), (Strings{"a"}));
  list.RemoveTail();
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
  list.RemoveTail();  // on an empty list: nothing
}

TEST(LinkedList, MarkedNodesAreRemovedOnceEvenIfAlreadyGone) {
  LinkedList<std::string> list;
  auto* a = list.Append("a");
  auto* b = list.Append("b");
  list.Append("c");
  list.MarkForRemoval(a);
  list.MarkForRemoval(a);
  list.MarkForRemoval(b);
  EXPECT_EQ(list.MarkedCount(), 2);
  list.Remove(b);  // removed directly after being noted
  list.RemoveMarked();
  EXPECT_EQ(Walk(list), (Strings{"c"}));
  EXPECT_EQ(list.MarkedCount(), 0);
}

TEST(LinkedList, ClearAndDestructionFreeEveryNode) {
  // The sanitizer build reports any node left behind.
  auto counter = std::make_shared<int>(0);
  {
    LinkedList<std::shared_ptr<int>> list;
    for (int i = 0; i < 5; ++i) list.Append(counter);
    list.MarkForRemoval(list.Head());
    EXPECT_EQ(counter.use_count(), 6);
    list.Clear();
    EXPECT_EQ(counter.use_count(), 1);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_FALSE(list.OnNode());
    for (int i = 0; i < 3; ++i) list.Append(counter);
    list.MarkForRemoval(list.Tail());
  }
  EXPECT_EQ(counter.use_count(), 1);
}

TEST(LinkedList, HoldsMoveOnlyValues) {
  LinkedList<std::unique_ptr<int>> list;
  list.Append(std::make_unique<int>(7));
  ASSERT_TRUE(list.MoveFirst());
  EXPECT_EQ(*list.Current(), 7);
}

}  // namespace

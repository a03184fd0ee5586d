#include "support/win/gdi_win.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

struct Gdi {
  UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
  UniqueGdiObject first{CreateBitmap(4, 4, 1, 32, nullptr)};
  UniqueGdiObject second{CreateBitmap(2, 2, 1, 32, nullptr)};
  HGDIOBJ Current() const { return GetCurrentObject(dc.get(), OBJ_BITMAP); }
};

TEST(GdiWin, SelectionIsUndoneInOrderAndMoves) {
  Gdi g;
  ASSERT_TRUE(g.dc && g.first && g.second);
  const HGDIOBJ original = g.Current();
  {
    ScopedSelectObject outer(g.dc.get(), g.first.get());
    ASSERT_TRUE(outer);
    EXPECT_EQ(g.Current(), g.first.get());
    {
      ScopedSelectObject inner(g.dc.get(), g.second.get());
      EXPECT_EQ(g.Current(), g.second.get());
    }
    EXPECT_EQ(g.Current(), g.first.get());
    // A moved selection is undone once, by its new owner.
    ScopedSelectObject moved(std::move(outer));
    EXPECT_FALSE(outer);
    EXPECT_TRUE(moved);
    outer.reset();
    EXPECT_EQ(g.Current(), g.first.get());
    ScopedSelectObject assigned;
    assigned = std::move(moved);
    EXPECT_EQ(g.Current(), g.first.get());
    assigned.reset();
    EXPECT_EQ(g.Current(), original);
    EXPECT_FALSE(assigned);
  }
  EXPECT_EQ(g.Current(), original);
  // Once deselected, the bitmap can be deleted.
  EXPECT_TRUE(DeleteObject(g.first.release()));
}

TEST(GdiWin, NothingToUndoWhenNothingWasSelected) {
  Gdi g;
  const HGDIOBJ original = g.Current();
  const struct {
    HDC dc;
    HGDIOBJ object;
  } cases[] = {{nullptr, g.first.get()}, {g.dc.get(), nullptr}, {nullptr, nullptr}};
  for (const auto& c : cases) {
    ScopedSelectObject s(c.dc, c.object);
    EXPECT_FALSE(s);
    EXPECT_EQ(g.Current(), original);
  }
}

TEST(GdiWin, MemoryDcIsDeleted) {
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  ASSERT_TRUE(dc);
  const HDC raw = dc.get();
  EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_MEMDC));
  dc.reset();
  EXPECT_FALSE(dc);
  EXPECT_EQ(GetObjectType(raw), 0u);
}

}  // namespace

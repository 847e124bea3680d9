// The host's one-reference holder.
#include <gtest/gtest.h>

#include "ORVAutoPtr.h"

namespace {

struct Counted {
  int refs = 1;
  int AddRef() { return ++refs; }
  int Release() { return --refs; }
};

}  // namespace

TEST(CORVAutoPtr, HoldsOneReferenceAndGivesItBack) {
  Counted a, b;
  {
    CORVAutoPtr<Counted> holder;
    EXPECT_TRUE(holder == nullptr);
    holder = &a;
    EXPECT_EQ(a.refs, 2);
    holder = &a;  // the same pointer changes nothing
    EXPECT_EQ(a.refs, 2);
    holder = &b;  // a different one swaps the references
    EXPECT_EQ(a.refs, 1);
    EXPECT_EQ(b.refs, 2);
    // Conversion, comparison and -> leave the count alone.
    Counted* raw = holder;
    EXPECT_EQ(raw, &b);
    EXPECT_TRUE(holder == &b);
    EXPECT_EQ(holder->refs, 2);
    holder = nullptr;
    EXPECT_EQ(b.refs, 1);
    holder = &b;
    holder.release();
    EXPECT_EQ(b.refs, 1);
    EXPECT_TRUE(holder == nullptr);
    holder = &a;
  }
  EXPECT_EQ(a.refs, 1);  // the destructor released
}

TEST(CORVAutoPtr, FillByAddressTakesTheCreatorsReference) {
  Counted created, old;
  {
    CORVAutoPtr<Counted> holder;
    holder = &old;
    Counted** slot = &holder;  // a refill never leaks what was held
    EXPECT_EQ(old.refs, 1);
    *slot = &created;          // as a creating call fills it: count stays 1
    EXPECT_EQ(created.refs, 1);
    EXPECT_TRUE(holder == &created);
  }
  EXPECT_EQ(created.refs, 0);
}

#include <gtest/gtest.h>

#include "base/VxProperties.h"

namespace {

TEST(Properties, TypedValuesReadBackByPosition) {
  TVxProperties bag;
  bag.SetInteger(0, -42);
  bag.SetFloat(1, 2.5);
  bag.SetString(2, "Resize");
  bag.SetString(3, "");
  const uint8_t raw[] = {1, 2, 3};
  bag.SetValue(4, 7, 3, raw);

  ASSERT_EQ(bag.Count(), 5);
  EXPECT_EQ(std::get<int32_t>(bag.GetVariant(0)), -42);
  EXPECT_EQ(std::get<double>(bag.GetVariant(1)), 2.5);
  EXPECT_EQ(std::get<std::string>(bag.GetVariant(2)), "Resize");
  EXPECT_EQ(bag.EntryAt(3)->Size, 0);
  EXPECT_EQ(std::get<std::string>(bag.GetVariant(3)), "");
  EXPECT_TRUE(std::holds_alternative<std::monostate>(bag.GetVariant(4)));  // raw bytes
  EXPECT_EQ(bag.EntryAt(4)->Value[2], 3);
}

TEST(Properties, PositionsOutsideTheBagGiveEmptyVariants) {
  TVxProperties bag;
  EXPECT_EQ(bag.Count(), 0);
  EXPECT_EQ(bag.EntryAt(0), nullptr);
  for (int32_t index : {-1, 0, 1})
    EXPECT_TRUE(std::holds_alternative<std::monostate>(bag.GetVariant(index)));
  bag.SetInteger(9, 1);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(bag.GetVariant(bag.Count())));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(bag.GetVariant(-1)));
}

TEST(Properties, ReplacingAnIdentifierKeepsItsPosition) {
  TVxCustomProperties bag;
  bag.SetInteger(10, 1);
  bag.SetInteger(20, 2);
  bag.SetInteger(30, 3);
  bag.SetString(20, "a much longer value than four bytes");
  ASSERT_EQ(bag.Count(), 3);
  EXPECT_EQ(bag.IndexOf(20), 1);
  EXPECT_EQ(bag.EntryAt(1)->Type, PropString);
  EXPECT_EQ(std::get<std::string>(bag.GetVariant(1)), "a much longer value than four bytes");

  bag.Remove(10);
  EXPECT_EQ(bag.IndexOf(20), 0);
  EXPECT_EQ(bag.IndexOf(10), -1);
  bag.Remove(99);  // absent: nothing happens
  EXPECT_EQ(bag.Count(), 2);
}

TEST(Properties, AssignCopiesEntriesInOrder) {
  TVxGraphicsDocumentProperties source, copy;
  source.SetInteger(306, 1);
  source.SetString(271, "Maker");
  copy.SetInteger(5, 5);
  copy.Assign(source);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy.EntryAt(0)->Identifier, 306);
  EXPECT_EQ(std::get<std::string>(copy.GetVariant(1)), "Maker");
  copy.Assign(copy);  // self-assignment keeps everything
  EXPECT_EQ(copy.Count(), 2);
}

struct Counted : IVxInterface {
  explicit Counted(int &released) : Released(released) {}
  ~Counted() override { ++Released; }
  int &Released;
};

TEST(Properties, InterfaceValuesAreReleasedExactlyOnce) {
  struct Case {
    const char *Name;
    void (*Drop)(TVxProperties &);
  };
  const Case cases[] = {
      {"Clear", [](TVxProperties &b) { b.Clear(); }},
      {"Remove", [](TVxProperties &b) { b.Remove(1); }},
      {"replaced by an integer", [](TVxProperties &b) { b.SetInteger(1, 0); }},
      {"replaced by another interface", [](TVxProperties &b) { b.SetInterface(1, nullptr); }},
  };
  for (const auto &c : cases) {
    int released = 0;
    {
      TVxProperties bag;
      bag.SetInterface(1, std::make_shared<Counted>(released));
      EXPECT_EQ(released, 0) << c.Name;
      c.Drop(bag);
      EXPECT_EQ(released, 1) << c.Name;
    }
    EXPECT_EQ(released, 1) << c.Name << " (destruction)";
  }

  int released = 0;
  {
    TVxProperties a, b;
    a.SetInterface(1, std::make_shared<Counted>(released));
    b.Assign(a);
    a.Clear();
    EXPECT_EQ(released, 0);  // b still holds its own reference
    EXPECT_NE(b.GetInterface(0), nullptr);
  }
  EXPECT_EQ(released, 1);
}

}  // namespace

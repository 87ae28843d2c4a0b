#include <gtest/gtest.h>

#include <string>

#include "base/VxMethodList.h"

namespace {

struct Recorder {
  std::string *Log;
  char Name;
  void First() { *Log += Name; }
  void Second() { *Log += static_cast<char>(Name - 'a' + 'A'); }
};

struct Base {
  virtual ~Base() = default;
  virtual void Localize() { *Log += "base"; }
  std::string *Log = nullptr;
};
struct Derived : Base {
  void Localize() override { *Log += "derived"; }
};

TEST(MethodList, IdentityIsObjectAndMemberFunction) {
  std::string log;
  Recorder a{&log, 'a'}, b{&log, 'b'};
  EXPECT_EQ(TVxMethod(&a, &Recorder::First), TVxMethod(&a, &Recorder::First));
  EXPECT_FALSE(TVxMethod(&a, &Recorder::First) == TVxMethod(&a, &Recorder::Second));
  EXPECT_FALSE(TVxMethod(&a, &Recorder::First) == TVxMethod(&b, &Recorder::First));
  EXPECT_FALSE(TVxMethod() == TVxMethod(&a, &Recorder::First));
  EXPECT_FALSE(TVxMethod());
  TVxMethod()();  // an empty method does nothing
  EXPECT_EQ(log, "");
}

TEST(MethodList, AMethodHeldTwiceLosesOnlyItsLaterCopy) {
  std::string log;
  Recorder a{&log, 'a'}, b{&log, 'b'};
  TVxMethodList list;
  EXPECT_EQ(list.Add(TVxMethod(&a, &Recorder::First)), 0);
  EXPECT_EQ(list.Add(TVxMethod(&b, &Recorder::First)), 1);
  EXPECT_EQ(list.Add(TVxMethod(&a, &Recorder::First)), 2);
  EXPECT_EQ(list.Add(TVxMethod(&a, &Recorder::Second)), 3);
  list.CallAll();
  EXPECT_EQ(log, "abaA");

  EXPECT_EQ(list.Remove(TVxMethod(&a, &Recorder::First)), 2);
  EXPECT_EQ(list.Count(), 3);
  log.clear();
  list.CallAll();
  EXPECT_EQ(log, "abA");
  EXPECT_EQ(list.Remove(TVxMethod(&a, &Recorder::First)), 0);
  EXPECT_EQ(list.Remove(TVxMethod(&a, &Recorder::First)), -1);
  EXPECT_EQ(list.Get(0), TVxMethod(&b, &Recorder::First));
  EXPECT_FALSE(list.Get(5));
  EXPECT_FALSE(list.Get(-1));
}

TEST(MethodList, VirtualMethodsDispatchOnTheObject) {
  std::string log;
  Derived derived;
  derived.Log = &log;
  Base *asBase = &derived;
  TVxMethodList list;
  list.Add(TVxMethod(asBase, &Base::Localize));
  list.CallAll();
  EXPECT_EQ(log, "derived");
  EXPECT_EQ(list.Remove(TVxMethod(asBase, &Base::Localize)), 0);
}

// A subscriber that unsubscribes itself while the list is being called.
struct SelfRemover {
  TVxMethodList *List;
  int Calls = 0;
  void Run() {
    ++Calls;
    List->Remove(TVxMethod(this, &SelfRemover::Run));
  }
};

TEST(MethodList, MethodsMayUnsubscribeWhileCalled) {
  TVxMethodList list;
  SelfRemover first{&list}, second{&list};
  list.Add(TVxMethod(&first, &SelfRemover::Run));
  list.Add(TVxMethod(&second, &SelfRemover::Run));
  list.CallAll();
  EXPECT_EQ(first.Calls, 1);
  EXPECT_EQ(list.Count(), 1);  // the second moved into the first's place and was skipped
  list.CallAll();
  EXPECT_EQ(second.Calls, 1);
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace

#pragma once
// Bound methods and the framework's multicast list of them: idle handlers,
// deferred calls and language-change subscribers.

#include <cstdint>
#include <cstring>
#include <vector>

// A parameterless member function bound to an object. Two methods are equal
// when they name the same member function of the same object, so a
// subscription can be found again by building the same method once more.
// Name the member through the same class on both sides: &TBase::Localize and
// &TDerived::Localize are different methods here even when one overrides the
// other.
class TVxMethod {
 public:
  TVxMethod() = default;

  template <class T>
  TVxMethod(T *object, void (T::*method)()) : Object(object), Invoker(&Invoke<T>) {
    static_assert(sizeof(method) <= sizeof(Code), "member function pointer too large");
    std::memcpy(Code, &method, sizeof(method));
  }

  // Does nothing when empty.
  void operator()() const {
    if (Invoker) Invoker(Object, Code);
  }
  explicit operator bool() const { return Invoker != nullptr; }
  const void *Target() const { return Object; }

  friend bool operator==(const TVxMethod &a, const TVxMethod &b) {
    return a.Object == b.Object && a.Invoker == b.Invoker &&
           std::memcmp(a.Code, b.Code, sizeof(Code)) == 0;
  }

 private:
  using InvokerFn = void (*)(void *object, const unsigned char *code);

  template <class T>
  static void Invoke(void *object, const unsigned char *code) {
    void (T::*method)();
    std::memcpy(&method, code, sizeof(method));
    (static_cast<T *>(object)->*method)();
  }

  void *Object = nullptr;
  InvokerFn Invoker = nullptr;
  // Room for a member function pointer of any class (two words on common ABIs).
  alignas(void *) unsigned char Code[2 * sizeof(void *) + sizeof(void *)] = {};
};

class TVxMethodList {
 public:
  // Appends a copy; returns its position. The same method may be held twice.
  int32_t Add(const TVxMethod &method);
  // A copy of the method at a position; an empty method outside the list.
  TVxMethod Get(int32_t index) const;
  // Removes the last item equal to `method`; its position, or -1.
  int32_t Remove(const TVxMethod &method);
  void Delete(int32_t index);
  void Clear() { Items.clear(); }
  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  // Calls every method in list order. A method may add or remove methods
  // while it runs: each call takes a copy and the count is re-read each time.
  void CallAll() const;

 private:
  std::vector<TVxMethod> Items;
};

#include "base/VxMethodList.h"

int32_t TVxMethodList::Add(const TVxMethod &method) {
  Items.push_back(method);
  return Count() - 1;
}

TVxMethod TVxMethodList::Get(int32_t index) const {
  if (index < 0 || index >= Count()) return {};
  return Items[static_cast<size_t>(index)];
}

int32_t TVxMethodList::Remove(const TVxMethod &method) {
  for (int32_t i = Count() - 1; i >= 0; --i) {
    if (Items[static_cast<size_t>(i)] == method) {
      Delete(i);
      return i;
    }
  }
  return -1;
}

void TVxMethodList::Delete(int32_t index) {
  if (index < 0 || index >= Count()) return;
  Items.erase(Items.begin() + index);
}

void TVxMethodList::CallAll() const {
  for (int32_t i = 0; i < Count(); ++i) Get(i)();
}

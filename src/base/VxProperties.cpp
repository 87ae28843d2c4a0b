#include "base/VxProperties.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

TVxPropertyEntry *ResizeBlock(TVxPropertyEntry *block, int32_t size) {
  const size_t bytes = sizeof(TVxPropertyEntry) + static_cast<size_t>(size > 0 ? size : 0);
  void *fresh = std::realloc(block, bytes);
  if (fresh == nullptr) throw std::bad_alloc();
  auto *entry = static_cast<TVxPropertyEntry *>(fresh);
  entry->Value = reinterpret_cast<uint8_t *>(entry + 1);
  return entry;
}

// Type 16 stores a pointer to a heap-held counted reference.
TVxInterfaceRef *HeldRef(const TVxPropertyEntry &entry) {
  TVxInterfaceRef *held = nullptr;
  std::memcpy(&held, entry.Value, sizeof held);
  return held;
}

}  // namespace

TVxCustomProperties::~TVxCustomProperties() {
  // Derived bags release their own values in their destructors; here only the blocks go.
  for (TVxPropertyEntry *entry : Entries) std::free(entry);
}

void TVxCustomProperties::FreeValue(TVxPropertyEntry &) {}

void TVxCustomProperties::FreeEntry(TVxPropertyEntry *entry) {
  FreeValue(*entry);
  std::free(entry);
}

void TVxCustomProperties::Assign(const TVxCustomProperties &source) {
  if (&source == this) return;
  Clear();
  for (const TVxPropertyEntry *entry : source.Entries)
    SetValue(entry->Identifier, entry->Type, entry->Size, entry->Value);
}

void TVxCustomProperties::SetValue(int32_t id, int32_t type, int32_t size, const void *bytes) {
  if (size < 0) size = 0;
  const int32_t index = IndexOf(id);
  TVxPropertyEntry *entry;
  if (index >= 0) {
    FreeValue(*Entries[static_cast<size_t>(index)]);
    entry = ResizeBlock(Entries[static_cast<size_t>(index)], size);
    Entries[static_cast<size_t>(index)] = entry;
  } else {
    entry = ResizeBlock(nullptr, size);
    Entries.push_back(entry);
  }
  entry->Identifier = id;
  entry->Size = size;
  entry->Type = type;
  if (size > 0 && bytes != nullptr) std::memcpy(entry->Value, bytes, static_cast<size_t>(size));
}

void TVxCustomProperties::SetInteger(int32_t id, int32_t value) {
  SetValue(id, PropInteger, sizeof value, &value);
}

void TVxCustomProperties::SetFloat(int32_t id, double value) {
  SetValue(id, PropFloat, sizeof value, &value);
}

void TVxCustomProperties::SetString(int32_t id, std::string_view text) {
  SetValue(id, PropString, static_cast<int32_t>(text.size()), text.data());
}

int32_t TVxCustomProperties::IndexOf(int32_t id) const {
  for (size_t i = Entries.size(); i-- > 0;)
    if (Entries[i]->Identifier == id) return static_cast<int32_t>(i);
  return -1;
}

void TVxCustomProperties::Remove(int32_t id) {
  const int32_t index = IndexOf(id);
  if (index < 0) return;
  FreeEntry(Entries[static_cast<size_t>(index)]);
  Entries.erase(Entries.begin() + index);
}

void TVxCustomProperties::Clear() {
  for (TVxPropertyEntry *entry : Entries) FreeEntry(entry);
  Entries.clear();
  Entries.shrink_to_fit();
}

const TVxPropertyEntry *TVxCustomProperties::EntryAt(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return Entries[static_cast<size_t>(index)];
}

TVxVariant TVxCustomProperties::GetVariant(int32_t index) const {
  const TVxPropertyEntry *entry = EntryAt(index);
  if (entry == nullptr) return {};
  switch (entry->Type) {
    case PropInteger:
      if (entry->Size == sizeof(int32_t)) {
        int32_t value;
        std::memcpy(&value, entry->Value, sizeof value);
        return value;
      }
      break;
    case PropFloat:
      if (entry->Size == sizeof(double)) {
        double value;
        std::memcpy(&value, entry->Value, sizeof value);
        return value;
      }
      break;
    case PropString:
      return std::string(reinterpret_cast<const char *>(entry->Value),
                         static_cast<size_t>(entry->Size));
    default:
      break;
  }
  return {};
}

TVxProperties::~TVxProperties() { Clear(); }

void TVxProperties::SetInterface(int32_t id, TVxInterfaceRef ref) {
  auto *held = new TVxInterfaceRef(std::move(ref));
  SetValue(id, PropInterface, sizeof held, &held);
}

TVxInterfaceRef TVxProperties::GetInterface(int32_t index) const {
  const TVxPropertyEntry *entry = EntryAt(index);
  if (entry == nullptr || entry->Type != PropInterface || entry->Size != sizeof(void *)) return {};
  return *HeldRef(*entry);
}

void TVxProperties::FreeValue(TVxPropertyEntry &entry) {
  if (entry.Type != PropInterface || entry.Size != sizeof(void *)) return;
  delete HeldRef(entry);
  std::memset(entry.Value, 0, sizeof(void *));
}

void TVxProperties::Assign(const TVxCustomProperties &source) {
  if (&source == this) return;
  Clear();
  const auto *typed = dynamic_cast<const TVxProperties *>(&source);
  for (int32_t i = 0; i < source.Count(); ++i) {
    const TVxPropertyEntry *entry = source.EntryAt(i);
    // A copied interface entry takes its own reference, so each bag releases once.
    // A bag of another kind holds no reference it could give us.
    if (entry->Type == PropInterface)
      SetInterface(entry->Identifier, typed != nullptr ? typed->GetInterface(i) : nullptr);
    else
      SetValue(entry->Identifier, entry->Type, entry->Size, entry->Value);
  }
}

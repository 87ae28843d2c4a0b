#pragma once
// Property bags: ordered, typed values keyed by integer identifiers. They carry
// the arguments of a demonstration script line and the metadata of an image.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// Type codes the bag itself gives meaning to; any other code is carried as raw
// bytes (image metadata keeps the EXIF type codes).
constexpr int32_t PropInteger = 5;
constexpr int32_t PropFloat = 10;
constexpr int32_t PropString = 11;
constexpr int32_t PropInterface = 16;

// Anything a TVxProperties can hold a counted reference to.
class IVxInterface {
 public:
  virtual ~IVxInterface() = default;
};
using TVxInterfaceRef = std::shared_ptr<IVxInterface>;

// One heap block per entry: this header, then the value bytes.
struct TVxPropertyEntry {
  int32_t Identifier;
  int32_t Size;
  int32_t Type;
  uint8_t *Value;  // the bytes right after this header
};

// Empty, integer, float or string.
using TVxVariant = std::variant<std::monostate, int32_t, double, std::string>;

class TVxCustomProperties {
 public:
  TVxCustomProperties() = default;
  TVxCustomProperties(const TVxCustomProperties &) = delete;
  TVxCustomProperties &operator=(const TVxCustomProperties &) = delete;
  virtual ~TVxCustomProperties();

  // Release whatever the entry's value refers to before its block is freed or reused.
  virtual void FreeValue(TVxPropertyEntry &entry);
  // Clear, then a copy of each of the source's entries in the source's order.
  virtual void Assign(const TVxCustomProperties &source);

  // Replaces an existing entry in place (it keeps its position), else appends.
  void SetValue(int32_t id, int32_t type, int32_t size, const void *bytes);
  void SetInteger(int32_t id, int32_t value);
  void SetFloat(int32_t id, double value);
  void SetString(int32_t id, std::string_view text);
  // Position of the last entry with that identifier, or -1.
  int32_t IndexOf(int32_t id) const;
  void Remove(int32_t id);
  void Clear();
  int32_t Count() const { return static_cast<int32_t>(Entries.size()); }
  // Null for a position outside the bag.
  const TVxPropertyEntry *EntryAt(int32_t index) const;
  // By position, not identifier; empty for other types and any position outside the bag.
  TVxVariant GetVariant(int32_t index) const;

 private:
  void FreeEntry(TVxPropertyEntry *entry);
  std::vector<TVxPropertyEntry *> Entries;
};

class TVxProperties : public TVxCustomProperties {
 public:
  ~TVxProperties() override;
  // Holds one counted reference until the entry is replaced, removed or cleared.
  void SetInterface(int32_t id, TVxInterfaceRef ref);
  // The interface held at a position; null for other types or positions.
  TVxInterfaceRef GetInterface(int32_t index) const;
  void FreeValue(TVxPropertyEntry &entry) override;
  void Assign(const TVxCustomProperties &source) override;
};

// Image metadata items plus the resolution in dots per inch.
class TVxGraphicsDocumentProperties : public TVxCustomProperties {
 public:
  int32_t HorizontalResolution = 0;
  int32_t VerticalResolution = 0;
};

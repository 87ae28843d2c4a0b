#include "views/VxViewObjects.h"

namespace {

TVxRect Inflate(const TVxRect &rect, int32_t by) {
  return {rect.Left - by, rect.Top - by, rect.Right + by, rect.Bottom + by};
}

bool Meets(const TVxRect &a, const TVxRect &b) { return !IntersectRect(a, b).IsEmpty(); }

bool Encloses(const TVxRect &outer, const TVxRect &inner) {
  return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
         inner.Bottom <= outer.Bottom;
}

}  // namespace

void TVxViewObject::SetVisible(bool visible) {
  if (visible)
    Flags |= ViewObjectVisible;
  else
    Flags &= static_cast<uint8_t>(~ViewObjectVisible);
}

TVxRect TVxViewObject::GetUpdateRect(const TVxMapMode &mapMode) const {
  if (HasFlag(ViewObjectBody)) {
    TVxRect rect = GetBodyRect(mapMode);
    if (HasFlag(ViewObjectOverlay)) rect = UnionRect(rect, GetOverlayRect(mapMode));
    return rect;
  }
  if (HasFlag(ViewObjectOverlay)) return GetOverlayRect(mapMode);
  return {};
}

TVxRect TVxViewObject::GetBodyRect(const TVxMapMode &mapMode) const {
  return mapMode.LogicalToDeviceRect(Bounds);
}

TVxRect TVxViewObject::GetOverlayRect(const TVxMapMode &mapMode) const {
  return mapMode.LogicalToDeviceRect(Bounds);
}

void TVxViewObject::Paint(TVxViewCanvas &canvas) {
  if (!HasFlag(ViewObjectPaintable) || !CanPaint(canvas)) return;
  if (HasFlag(ViewObjectBody)) PaintBody(canvas);
  if (HasFlag(ViewObjectOverlay)) PaintOverlay(canvas);
  PaintDone();
}

int TVxViewObject::HitTestPoint(const TVxMapMode &mapMode, const TVxPoint &point,
                                int32_t tolerance) const {
  const TVxRect bounds = mapMode.LogicalToDeviceRect(Bounds);
  if (bounds.Contains(point.X, point.Y)) return HitInside;
  if (tolerance > 0 && Inflate(bounds, tolerance).Contains(point.X, point.Y)) return HitNear;
  return HitNone;
}

int TVxViewObject::HitTestRect(const TVxMapMode &mapMode, const TVxRect &rect,
                               int32_t tolerance) const {
  const TVxRect bounds = mapMode.LogicalToDeviceRect(Bounds);
  if (Meets(rect, bounds)) return Encloses(bounds, rect) ? HitInside : HitIntersects;
  if (tolerance >= 1 && Meets(rect, Inflate(bounds, tolerance))) return HitNear;
  return HitNone;
}

TVxViewObject *TVxViewObjectList::Item(size_t index) const {
  return index < Items.size() ? Items[index].get() : nullptr;
}

ptrdiff_t TVxViewObjectList::IndexOf(const TVxViewObject *object) const {
  for (size_t i = 0; i < Items.size(); ++i)
    if (Items[i].get() == object) return static_cast<ptrdiff_t>(i);
  return -1;
}

TVxViewObject *TVxViewObjectList::Insert(size_t index, std::unique_ptr<TVxViewObject> object) {
  TVxViewObject *raw = object.get();
  index = std::min(index, Items.size());
  Items.insert(Items.begin() + static_cast<ptrdiff_t>(index), std::move(object));
  return raw;
}

std::unique_ptr<TVxViewObject> TVxViewObjectList::Extract(const TVxViewObject *object) {
  const ptrdiff_t index = IndexOf(object);
  if (index < 0) return nullptr;
  std::unique_ptr<TVxViewObject> taken = std::move(Items[static_cast<size_t>(index)]);
  Items.erase(Items.begin() + index);
  return taken;
}

bool TVxViewObjectList::Remove(const TVxViewObject *object) {
  std::unique_ptr<TVxViewObject> taken = Extract(object);
  return taken != nullptr;  // freed here, after it left the list
}

void TVxViewObjectList::Clear() {
  while (!Items.empty()) {
    std::unique_ptr<TVxViewObject> last = std::move(Items.back());
    Items.pop_back();
  }
}

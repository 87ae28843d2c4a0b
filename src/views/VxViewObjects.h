#pragma once
// Objects stacked in a view: each has bounds in image coordinates and may
// paint an opaque body (first pass, top down) and an overlay (second pass,
// bottom up). Objects that take input derive from TVxInputViewObject.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/VxTypes.h"
#include "imaging/VxMapMode.h"

class TVxViewCanvas;

// Flag bits of a view object.
enum : uint8_t {
  ViewObjectVisible = 1,    // takes part in painting and in the content extent
  ViewObjectBody = 2,       // paints an opaque body in the first pass
  ViewObjectOverlay = 4,    // paints an overlay in the second pass
  ViewObjectPaintable = 8,  // may be painted outside a view's paint cycle through Paint
  ViewObjectNoExtent = 16,  // never widens the scrollable content
};

// Answers of the hit tests.
enum : int {
  HitNone = 0,
  HitIntersects = 1,  // the rectangle only meets the bounds
  HitNear = 2,        // within the tolerance around the bounds
  HitInside = 3,
};

class TVxViewObject {
 public:
  static constexpr uint8_t DefaultFlags =
      ViewObjectVisible | ViewObjectBody | ViewObjectOverlay | ViewObjectPaintable;

  // Subclasses pass their own initial flags here; a constructor cannot reach
  // an override.
  explicit TVxViewObject(uint8_t flags = DefaultFlags) : Flags(flags) {}
  TVxViewObject(const TVxViewObject &) = delete;
  TVxViewObject &operator=(const TVxViewObject &) = delete;
  virtual ~TVxViewObject() = default;

  uint8_t Flags;
  TVxRect Bounds;  // image coordinates

  bool HasFlag(uint8_t flag) const { return (Flags & flag) != 0; }
  bool IsVisible() const { return HasFlag(ViewObjectVisible); }

  virtual void SetVisible(bool visible);
  virtual void SetBounds(const TVxRect &rect) { Bounds = rect; }
  // Device rectangles.
  virtual TVxRect GetUpdateRect(const TVxMapMode &mapMode) const;
  virtual TVxRect GetBodyRect(const TVxMapMode &mapMode) const;
  virtual TVxRect GetOverlayRect(const TVxMapMode &mapMode) const;
  virtual bool CanPaint(TVxViewCanvas &) { return IsVisible(); }
  virtual void PaintBody(TVxViewCanvas &) {}
  virtual void PaintOverlay(TVxViewCanvas &) {}
  // Called once per paint after the object's last pass.
  virtual void PaintDone() {}
  // Painting outside a view's paint cycle (needs Paintable).
  virtual void Paint(TVxViewCanvas &canvas);
  // point and rect in device coordinates; answers one of the Hit codes.
  virtual int HitTestPoint(const TVxMapMode &mapMode, const TVxPoint &point,
                           int32_t tolerance) const;
  virtual int HitTestRect(const TVxMapMode &mapMode, const TVxRect &rect, int32_t tolerance) const;
};

// Buttons and shift state as the view hands them to input objects.
enum class TVxMouseButton { Left, Right, Middle };

using TVxShiftState = uint32_t;
enum : TVxShiftState {
  ShiftKey = 1,
  AltKey = 2,
  CtrlKey = 4,
  LeftButtonDown = 8,
  RightButtonDown = 16,
  MiddleButtonDown = 32,
  DoubleClick = 64,
};

// A view object that takes mouse and keyboard input. The view offers each
// event to such objects from the topmost down and stops at the first that
// answers true; the defaults decline. Points are client coordinates, keys
// virtual key codes (platform/VirtualKeys.h), wheel deltas +1 or -1 a notch.
class TVxInputViewObject : public TVxViewObject {
 public:
  using TVxViewObject::TVxViewObject;

  virtual bool GetCursor(TVxShiftState, const TVxPoint &, int & /*cursor*/) { return false; }
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  virtual bool MouseDown(TVxMouseButton, TVxShiftState, const TVxPoint &) { return false; }
  virtual bool MouseMove(TVxShiftState, const TVxPoint &) { return false; }
  virtual bool MouseUp(TVxMouseButton, TVxShiftState, const TVxPoint &) { return false; }
  virtual bool MouseWheel(TVxShiftState, int /*delta*/, const TVxPoint &) { return false; }
  virtual bool KeyDown(int /*key*/, TVxShiftState) { return false; }
  virtual bool KeyUp(int /*key*/, TVxShiftState) { return false; }
};

// The objects of a view, lowest first. The list owns them: removing one or
// destroying the list frees it. An object's destructor may still look at the
// list (and remove other objects): it is taken out before it is freed.
class TVxViewObjectList {
 public:
  TVxViewObjectList() = default;
  TVxViewObjectList(const TVxViewObjectList &) = delete;
  TVxViewObjectList &operator=(const TVxViewObjectList &) = delete;
  ~TVxViewObjectList() { Clear(); }

  size_t Count() const { return Items.size(); }
  // Null when index is out of range.
  TVxViewObject *Item(size_t index) const;
  TVxViewObject *operator[](size_t index) const { return Item(index); }
  // -1 when the object is not in the list.
  ptrdiff_t IndexOf(const TVxViewObject *object) const;

  template <class T>
  T *Add(std::unique_ptr<T> object) {
    T *raw = object.get();
    Items.push_back(std::move(object));
    return raw;
  }
  TVxViewObject *Insert(size_t index, std::unique_ptr<TVxViewObject> object);
  // Takes the object out and hands it back, without freeing it.
  std::unique_ptr<TVxViewObject> Extract(const TVxViewObject *object);
  // Takes the object out and frees it; false when it was not in the list.
  bool Remove(const TVxViewObject *object);
  // Frees every object, topmost first.
  void Clear();

 private:
  std::vector<std::unique_ptr<TVxViewObject>> Items;
};

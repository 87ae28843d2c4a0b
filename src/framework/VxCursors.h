#pragma once
// The screen's cursor table: tools ask for a pointer shape by number.
// Negative numbers are the system's shapes, 0 the default arrow, positive
// numbers the program's own cursors loaded from its resources.

#include <QCursor>
#include <QString>
#include <map>

// Indexes of the system's shapes.
enum : int {
  CursorDefault = 0,
  CursorNone = -1,
  CursorArrow = -2,
  CursorCross = -3,
  CursorIBeam = -4,
  CursorSizeNESW = -6,
  CursorSizeNS = -7,
  CursorSizeNWSE = -8,
  CursorSizeWE = -9,
  CursorUpArrow = -10,
  CursorHourGlass = -11,
  CursorDrag = -12,
  CursorNoDrop = -13,
  CursorHSplit = -14,
  CursorVSplit = -15,
  CursorMultiDrag = -16,
  CursorSQLWait = -17,
  CursorNo = -18,
  CursorAppStart = -19,
  CursorHelp = -20,
  CursorHandPoint = -21,
  CursorSizeAll = -22,
};

// Indexes of the program's cursors: the twelve loaded at start, and the hand
// that the image editor registers.
enum : int {
  CursorEyedropper = 1,
  CursorPlus,
  CursorMinus,
  CursorFill,
  CursorFillEmpty,
  CursorFillObject,
  CursorFillBG,
  CursorFillUnknown,
  CursorEmpty,
  CursorObject,
  CursorBG,
  CursorUnknown,
  CursorHand = 100,
};

class TVxCursorTable {
 public:
  // Loads the cursor resource `name` (a 32 x 32 picture with its hot spot)
  // under `index`. False, with the table unchanged, when there is no such
  // resource.
  bool LoadResource(int index, const QString &name);
  // The twelve cursors of the program at indexes 1 to 12.
  void LoadProgramCursors();
  void Set(int index, const QCursor &cursor) { Custom[index] = cursor; }
  // The shape for an index; the default arrow for one nobody registered.
  QCursor Cursor(int index) const;

 private:
  std::map<int, QCursor> Custom;
};

// The application's cursor table's shape for an index.
QCursor ScreenCursor(int index);

// Shows the hourglass from construction until the scope is left, however it
// is left. Guards may nest.
class TVxWaitCursor {
 public:
  TVxWaitCursor();
  ~TVxWaitCursor();
  TVxWaitCursor(const TVxWaitCursor &) = delete;
  TVxWaitCursor &operator=(const TVxWaitCursor &) = delete;
};

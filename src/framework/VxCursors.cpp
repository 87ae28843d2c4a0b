#include "framework/VxCursors.h"

#include <QGuiApplication>
#include <QPixmap>
#include <array>

#include "framework/VxApplication.h"
#include "framework/VxImageList.h"

namespace {

struct TCursorArt {
  const char *Name;
  int HotX, HotY;
};

// Hot spots of the cursor pictures: the arrow's and the bucket's tip, the
// crosshair's centre, the pipette's point, the middle of the palm.
constexpr std::array<TCursorArt, 13> Art{{
    {"Eyedropper", 2, 29},
    {"Plus", 11, 11},
    {"Minus", 11, 11},
    {"Fill", 2, 21},
    {"FillEmpty", 2, 21},
    {"FillObject", 2, 21},
    {"FillBG", 2, 21},
    {"FillUnknown", 2, 21},
    {"Empty", 1, 1},
    {"Object", 1, 1},
    {"BG", 1, 1},
    {"Unknown", 1, 1},
    {"Hand", 15, 15},
}};

constexpr int CursorSize = 32;

const TCursorArt *FindArt(const QString &name) {
  for (const auto &art : Art)
    if (name == QLatin1String(art.Name)) return &art;
  return nullptr;
}

}  // namespace

bool TVxCursorTable::LoadResource(int index, const QString &name) {
  const QPixmap picture =
      RenderSvg(QStringLiteral(":/cursors/%1.svg").arg(name), QSize(CursorSize, CursorSize));
  if (picture.isNull()) return false;
  const TCursorArt *art = FindArt(name);
  Custom[index] = art ? QCursor(picture, art->HotX, art->HotY) : QCursor(picture);
  return true;
}

void TVxCursorTable::LoadProgramCursors() {
  for (int index = CursorEyedropper; index <= CursorUnknown; ++index)
    LoadResource(index, QLatin1String(Art[static_cast<size_t>(index - 1)].Name));
}

QCursor TVxCursorTable::Cursor(int index) const {
  switch (index) {
    case CursorNone:
      return Qt::BlankCursor;
    case CursorCross:
      return Qt::CrossCursor;
    case CursorIBeam:
      return Qt::IBeamCursor;
    case CursorSizeNESW:
      return Qt::SizeBDiagCursor;
    case CursorSizeNS:
      return Qt::SizeVerCursor;
    case CursorSizeNWSE:
      return Qt::SizeFDiagCursor;
    case CursorSizeWE:
      return Qt::SizeHorCursor;
    case CursorUpArrow:
      return Qt::UpArrowCursor;
    case CursorHourGlass:
    case CursorSQLWait:
      return Qt::WaitCursor;
    case CursorDrag:
    case CursorMultiDrag:
      return Qt::DragCopyCursor;
    case CursorNoDrop:
    case CursorNo:
      return Qt::ForbiddenCursor;
    case CursorHSplit:
      return Qt::SplitHCursor;
    case CursorVSplit:
      return Qt::SplitVCursor;
    case CursorAppStart:
      return Qt::BusyCursor;
    case CursorHelp:
      return Qt::WhatsThisCursor;
    case CursorHandPoint:
      return Qt::PointingHandCursor;
    case CursorSizeAll:
      return Qt::SizeAllCursor;
    default:
      break;
  }
  auto found = Custom.find(index);
  return found != Custom.end() ? found->second : QCursor(Qt::ArrowCursor);
}

QCursor ScreenCursor(int index) {
  TVxApplication *application = Application();
  return application ? application->Cursors().Cursor(index) : QCursor(Qt::ArrowCursor);
}

TVxWaitCursor::TVxWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }

TVxWaitCursor::~TVxWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

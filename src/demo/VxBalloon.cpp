#include "demo/VxBalloon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <QScreen>

namespace {

// Text wider than this wraps.
constexpr int MaxTextWidth = 350;

}  // namespace

TVxBalloon::TVxBalloon(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput) {
  setObjectName(QStringLiteral("Balloon"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setCursor(Qt::BlankCursor);
}

TVxBalloon::~TVxBalloon() { Hide(); }

void TVxBalloon::ShowAt(int32_t x, int32_t y, int32_t corner, const QString &text) {
  hide();
  FText = text;
  const QRect measured =
      fontMetrics().boundingRect(QRect(0, 0, MaxTextWidth, 100000), Qt::TextWordWrap, text);
  QScreen *screen = QGuiApplication::screenAt(QPoint(x, y));
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  FShape = BalloonShape(measured.width(), measured.height(), {x - area.left(), y - area.top()},
                        corner, area.width(), area.height());
  FTextRect = QRect(QPoint(FShape.TextOrigin.X, FShape.TextOrigin.Y), measured.size());

  const TVxRect &b = FShape.Body;
  Outline = QPainterPath();
  Outline.setFillRule(Qt::WindingFill);
  Outline.addRoundedRect(QRectF(b.Left, b.Top, b.Width(), b.Height()), 8, 8);
  QPolygonF tail;
  for (const TVxPoint &p : FShape.Tail) tail << QPointF(p.X, p.Y);
  tail << tail.front();
  Outline.addPolygon(tail);
  Outline = Outline.simplified();

  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
  setPalette(colours);
  resize(FShape.Width, FShape.Height);
  setMask(QRegion(Outline.toFillPolygon().toPolygon(), Qt::WindingFill));
  move(x - FShape.Tip.X, y - FShape.Tip.Y);
  show();
  raise();
  update();
}

void TVxBalloon::Hide() {
  hide();
  clearMask();
}

void TVxBalloon::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
  painter.setPen(palette().color(QPalette::ToolTipText));
  painter.drawPath(Outline);
  // Drawn as plain text: "&" is a character here, not a mnemonic.
  painter.drawText(FTextRect, Qt::TextWordWrap, FText);
}

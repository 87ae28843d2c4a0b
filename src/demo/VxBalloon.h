#pragma once
// A balloon hint: a frameless, tooltip-coloured window with rounded corners
// and a tail whose tip touches the point it explains. It never takes the
// focus or the mouse, so the program under it behaves as without it.

#include <QPainterPath>
#include <QRect>
#include <QString>
#include <QWidget>

#include "demo/VxBalloonShape.h"

class TVxBalloon : public QWidget {
  Q_OBJECT
 public:
  explicit TVxBalloon(QWidget *parent = nullptr);
  ~TVxBalloon() override;

  // Shows text with the tail's tip on the screen point (x, y); corner 1 to 4
  // puts the tail there, 0 chooses by the point's screen quarter.
  void ShowAt(int32_t x, int32_t y, int32_t corner, const QString &text);
  void Hide();

  const TVxBalloonShape &Shape() const { return FShape; }
  const QRect &TextRect() const { return FTextRect; }

 protected:
  void paintEvent(QPaintEvent *event) override;

 private:
  QString FText;
  QRect FTextRect;
  QPainterPath Outline;
  TVxBalloonShape FShape;
};

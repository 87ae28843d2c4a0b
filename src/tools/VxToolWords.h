#pragma once
// How a tool with demonstration words of its own answers scripts: its own
// table first, then its base class's. A tool adopts it by deriving from
// TVxToolWords<Base, Tool> instead of Base and declaring its table:
//
//   class TVxMyBrushTool : public TVxToolWords<TVxBrushTool, TVxMyBrushTool> {
//     Q_OBJECT
//    public:
//     explicit TVxMyBrushTool(QObject *owner) : TVxToolWords(owner) {}
//     static const TVxDemoWordTable<TVxMyBrushTool> &DemoWords();
//   };
//
// The registry lists the base's words before the tool's. A tool whose words
// need more than the table (another order, a guard) overrides the three
// functions itself.

#include <QPoint>
#include <QString>

#include "demo/VxDemoWords.h"

class IVxDemoRecorder;
class TVxProperties;

template <class TBase, class TTool>
class TVxToolWords : public TBase {
 public:
  using TBase::TBase;

  void ExecuteDemoCommand(IVxDemoRecorder *playback, const QString &word, bool &handled,
                          bool userAction, const TVxProperties &params) override {
    if (TTool::DemoWords().Execute(Self(), this->ToolName, word, {playback, params, userAction})) {
      handled = true;
      return;
    }
    TBase::ExecuteDemoCommand(playback, word, handled, userAction, params);
  }

  void GetDemoCommandPoint(IVxDemoRecorder *playback, const TVxProperties &params, bool &handled,
                           QPoint &screenPoint) override {
    if (TTool::DemoWords().CommandPoint(Self(), this->ToolName, params, screenPoint)) {
      handled = true;
      return;
    }
    TBase::GetDemoCommandPoint(playback, params, handled, screenPoint);
  }

  void ListDemoWords(const TVxDemoWordVisitor &visit) override {
    TBase::ListDemoWords(visit);
    TTool::DemoWords().List(Self(), this->ToolName, visit);
  }

 private:
  TTool &Self() { return static_cast<TTool &>(*this); }
};

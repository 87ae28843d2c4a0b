#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/VxForms.h"
#include "settings/VxLocalizer.h"
#include "support/UiFixture.h"

namespace {

template <class TBase>
class TCounting : public TBase {
 public:
  using TBase::TBase;
  void Localize() override { ++Localized; }
  void UpdateControls() override { ++Updates; }
  int Localized = 0;
  int Updates = 0;
};

class TCountingForm : public TCounting<TVxForm> {
 public:
  using TCounting::TCounting;
  int LocalizedWhenShown = -1;

 protected:
  void showEvent(QShowEvent *event) override {
    LocalizedWhenShown = Localized;
    TCounting::showEvent(event);
  }
};

using TCountingFrame = TCounting<TVxFrame>;

using FormsTest = uitest::UiTest;

TEST_F(FormsTest, AFormNotOwnedByTheApplicationIsLocalizedBeforeItShows) {
  auto *created = CreateOwned<TCountingForm>();
  EXPECT_EQ(created->Localized, 1);  // at once
  Localizer().SetLanguage(1031);
  EXPECT_EQ(created->Localized, 2);  // and after every language change
  App->DoIdle();
  EXPECT_EQ(created->Updates, 1);
  delete created;

  // One made with a plain `new` initializes itself before it first shows.
  auto *plain = new TCountingForm();
  plain->show();
  EXPECT_EQ(plain->LocalizedWhenShown, 1);
  plain->show();
  EXPECT_EQ(plain->Localized, 1);
  delete plain;

  // Neither left a subscription behind.
  Localizer().SetLanguage(1033);
  App->DoIdle();
}

TEST_F(FormsTest, AFormOwnedByTheApplicationWaitsForRun) {
  TCountingForm *form = nullptr;
  App->CreateForm(form);
  form->show();
  EXPECT_EQ(form->Localized, 0);
  EXPECT_TRUE(form->IsOwnedByApplication());
}

TEST_F(FormsTest, DisablingAFrameReachesNestedControls) {
  auto *frame = CreateOwned<TCountingFrame>();
  auto *panel = new QWidget(frame);
  auto *group = new QGroupBox(panel);
  auto *button = new QPushButton(group);
  auto *edit = new QLineEdit(group);
  new QVBoxLayout(group);
  ASSERT_TRUE(frame->ControlsEnabled());

  frame->SetControlsEnabled(false);
  for (QWidget *control : std::initializer_list<QWidget *>{panel, group, button, edit}) {
    EXPECT_FALSE(control->isEnabled());
    EXPECT_TRUE(control->testAttribute(Qt::WA_Disabled));  // disabled itself, not only its parent
  }
  EXPECT_TRUE(frame->isEnabled());

  // The same value again changes nothing: controls enabled since stay so.
  for (QWidget *control : std::initializer_list<QWidget *>{panel, group, button})
    control->setEnabled(true);
  frame->SetControlsEnabled(false);
  EXPECT_TRUE(button->isEnabled());
  EXPECT_TRUE(edit->testAttribute(Qt::WA_Disabled));

  frame->SetControlsEnabled(true);
  for (QWidget *control : std::initializer_list<QWidget *>{panel, group, button, edit})
    EXPECT_TRUE(control->isEnabled());
  delete frame;
  App->DoIdle();
}

TEST_F(FormsTest, AFrameCountsItsControlsEnabledOnlyOnceInitialized) {
  TCountingFrame frame;
  auto *button = new QPushButton(&frame);
  EXPECT_FALSE(frame.ControlsEnabled());
  frame.SetControlsEnabled(false);  // already "off": nothing happens
  EXPECT_TRUE(button->isEnabled());
  frame.Initialize();
  EXPECT_TRUE(frame.ControlsEnabled());
  EXPECT_EQ(frame.Localized, 1);
}

}  // namespace

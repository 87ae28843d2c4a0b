// The editor program.

#include <QApplication>

#include "app/CommonData.h"
#include "app/Model.h"
#include "framework/VxApplication.h"

int main(int argc, char **argv) {
  QApplication toolkit(argc, argv);
  TVxApplication application;
  application.SetTitle(QStringLiteral("Velora"));
  application.CreateForm(CommonDataModule);
  application.CreateForm(Module);
  application.Run();
  return application.ExitCode();
}

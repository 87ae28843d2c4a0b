// The editor program.

#include <QApplication>
#include <QByteArray>
#include <QStringList>
#include <cstdio>
#include <vector>

#include "app/CommonData.h"
#include "app/Model.h"
#include "editor/VxDemonstration.h"
#include "framework/VxApplication.h"

int main(int argc, char **argv) {
  // Our demonstration options leave the command line before the toolkit and
  // the editor read it, so the first argument left is still the photo.
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  TVxDemoCommandLine demonstration;
  QString error;
  if (!demonstration.Parse(arguments, error)) {
    std::fprintf(stderr, "velora: %s\n", error.toLocal8Bit().constData());
    return 2;
  }
  std::vector<QByteArray> kept;
  for (const QString &argument : arguments) kept.push_back(argument.toLocal8Bit());
  std::vector<char *> rest;
  for (QByteArray &argument : kept) rest.push_back(argument.data());
  rest.push_back(nullptr);
  int restCount = static_cast<int>(kept.size());

  QApplication toolkit(restCount, rest.data());
  TVxApplication application;
  application.SetTitle(QStringLiteral("Velora"));
  application.CreateForm(CommonDataModule);
  application.CreateForm(Module);
  if (TVxDemonstrationModule *demonstrations = DemonstrationModule())
    demonstrations->CommandLine = demonstration;
  application.Run();
  return application.ExitCode();
}

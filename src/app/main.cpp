#include <QString>
#include <QStringList>
#include <cstdio>

#include "app/AppShell.h"
#include "app/CommandLine.h"
#include "app/HeapArenas.h"

int main(int argc, char** argv) {
  keyloom::app::UseOneHeapArena();
  QStringList arguments;
  for (int i = 0; i < argc; ++i) {
    arguments.append(QString::fromLocal8Bit(argv[i]));
  }
  const keyloom::app::CommandLineResult command = keyloom::app::ParseCommandLine(arguments);
  switch (command.action) {
    case keyloom::app::CommandLineResult::Action::kPrint:
      std::fputs(qPrintable(command.text), stdout);
      return command.exitStatus;
    case keyloom::app::CommandLineResult::Action::kFail:
      std::fputs(qPrintable(command.text), stderr);
      return command.exitStatus;
    case keyloom::app::CommandLineResult::Action::kRun:
      break;
  }
  return keyloom::app::AppShell(command.options).Run(argv[0]);
}

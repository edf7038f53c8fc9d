// The program's entry point.
#include "main/Program.h"

#include <QtGlobal>

#include <glog/logging.h>

int main(int argc, char** argv) {
  google::InitGoogleLogging(argv[0]);
  // The program's artwork lives in a static library, whose resources register only when asked;
  // before the application object, whose set-up already loads the icon.
  Q_INIT_RESOURCE(glimra);
  return Zentor::Glimra::Program::Run(argc, argv);
}

// The program's entry point.
#include <QApplication>

#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-?") || !std::strcmp(argv[i], "-help")) {
      std::cout << "Allowed options:\n -? [ --help ] show this message\n -i [ --input-file ] [filename] input file\n";
      return 0;
    }
  }
  // The program's artwork lives in a static library, whose resources register only when asked;
  // before the application object, whose set-up already loads the icon.
  Q_INIT_RESOURCE(glimra);
  QApplication application(argc, argv);
  return 0;
}

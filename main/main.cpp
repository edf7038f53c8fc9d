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
  QApplication application(argc, argv);
  // The program's artwork lives in a static library; its resources register only when asked.
  Q_INIT_RESOURCE(glimra);
  return 0;
}

#include "Platform/Bedrock/Sanitizers.h"

// Qt's own libraries are not built with the thread checker, so the hand-offs inside them (the
// thread pool that converts images for painting, the event queue) are invisible to it. Only what
// those libraries do themselves is left out; everything our code touches is still checked.
#ifdef ZENTOR_THREAD_SANITIZER
// The real engine's plug-in opens files through OpenCV, which hands those it cannot read to GDAL,
// whose driver registration takes its own two mutexes in both orders on one thread.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so\n"
         "called_from_lib:libQt6Gui.so\n"
         "called_from_lib:libQt6Widgets.so\n"
         "deadlock:libgdal.so\n";
}
#endif

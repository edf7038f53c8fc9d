#include "Platform/Bedrock/Sanitizers.h"

// Qt's own libraries are not built with the thread checker, so the hand-offs inside them (the
// thread pool that converts images for painting, the event queue) are invisible to it. Only what
// those libraries do themselves is left out; everything our code touches is still checked.
#ifdef ZENTOR_THREAD_SANITIZER
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so\n"
         "called_from_lib:libQt6Gui.so\n"
         "called_from_lib:libQt6Widgets.so\n";
}
#endif

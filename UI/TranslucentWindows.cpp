#include "UI/TranslucentWindows.h"

#include <QGuiApplication>
#include <QString>

#ifdef GLIMRA_WITH_XCB
#include <QByteArray>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace Zentor {
namespace Glimra {

namespace {

#ifdef GLIMRA_WITH_XCB
// An X11 compositing manager owns the selection _NET_WM_CM_S<screen>.
bool X11CompositorRuns() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return false;
  int screen = 0;
  if (const char* display = std::getenv("DISPLAY")) {
    const char* colon = std::strrchr(display, ':');
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    if (dot) screen = std::atoi(dot + 1);
  }
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr);
  if (!atom) return false;
  const xcb_atom_t selection = atom->atom;
  std::free(atom);
  if (selection == XCB_ATOM_NONE) return false;
  xcb_get_selection_owner_reply_t* owner =
      xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
  if (!owner) return false;
  const bool runs = owner->owner != XCB_NONE;
  std::free(owner);
  return runs;
}
#endif

}  // namespace

bool TranslucentWindowsAvailable() {
  const QString platform = QGuiApplication::platformName();
  if (platform.startsWith(QLatin1String("wayland")) || platform == QLatin1String("cocoa") ||
      platform == QLatin1String("windows")) {
    return true;
  }
#ifdef GLIMRA_WITH_XCB
  if (platform == QLatin1String("xcb")) return X11CompositorRuns();
#endif
  return false;
}

}  // namespace Glimra
}  // namespace Zentor

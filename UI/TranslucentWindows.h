// Whether a top-level window with a translucent background shows as such: without a compositor
// (plain X11, the offscreen platform) its transparent parts would show black.
#pragma once

namespace Zentor {
namespace Glimra {

// GUI thread only, with the QGuiApplication running.
bool TranslucentWindowsAvailable();

}  // namespace Glimra
}  // namespace Zentor

// A scope around a long GUI operation: the busy cursor shows while it lives. Pending events run
// once on entry and once on exit, user input excluded, so a second click or drop cannot start the
// operation again from inside itself.
#pragma once

namespace Zentor {
namespace Glimra {

class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace Glimra
}  // namespace Zentor

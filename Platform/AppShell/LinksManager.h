// The links of this program: every one points into the help page installed with it, so opening a
// link needs no network.
#pragma once

#include "Platform/AppShell/ILinksManager.h"

namespace Zentor {
namespace App {

// `<resources>/help/index.html`, one anchor per link id.
class LinksManager : public virtual ILinksManager {
 public:
  std::string GetUrl(int linkId, int sourceId) const override;
};

}  // namespace App
}  // namespace Zentor

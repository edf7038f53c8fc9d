// Links the program opens (help, FAQ, support...), by link id and the place that asks for it.
#pragma once

#include <string>

namespace Zentor {
namespace App {

class ILinksManager {
 public:
  virtual ~ILinksManager() = default;

  enum LinkId { URL_FAQ, URL_CONTACT_SUPPORT, URL_MORE_LANGUAGES, URL_HELP, URL_HOMEPAGE, URL_ZENTOR_FORUM };
  enum SourceId { URL_SRC_MENU, URL_SRC_MENUABOUT };

  // The URL in UTF-8; empty for an unknown link id.
  virtual std::string GetUrl(int linkId, int sourceId) const = 0;
};

}  // namespace App
}  // namespace Zentor

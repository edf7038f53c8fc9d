#include "Platform/AppShell/LinksManager.h"

#include "Platform/AppShell/CustomizationManager.h"

#include <QString>
#include <QUrl>

namespace Zentor {
namespace App {

std::string LinksManager::GetUrl(int linkId, int /*sourceId: the local page is the same from every place*/) const {
  const char* anchor = nullptr;
  switch (linkId) {
    case URL_FAQ: anchor = "faq"; break;
    case URL_CONTACT_SUPPORT: anchor = "support"; break;
    case URL_MORE_LANGUAGES: anchor = "languages"; break;
    case URL_HELP: anchor = "help"; break;
    case URL_HOMEPAGE: anchor = "about"; break;
    case URL_ZENTOR_FORUM: anchor = "forum"; break;
    default: return std::string();
  }
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(GetPathToResources()) + QStringLiteral("/help/index.html"));
  url.setFragment(QString::fromLatin1(anchor));
  return url.toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace App
}  // namespace Zentor

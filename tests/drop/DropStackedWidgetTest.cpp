// Drops on the workspace's pages: which file is opened and whether the drop is taken.
#include "UI/DropStackedWidget.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

using Zentor::Glimra::DropStackedWidget;

namespace {

struct Drop {
  bool accepted;
  QStringList opened;
};

// As a real drag: the drop reaches the widget that took the entry.
Drop DropOn(DropStackedWidget& widget, const QMimeData& data) {
  QSignalSpy opened(&widget, &DropStackedWidget::openFile);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &enter);
  QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
  Drop result{event.isAccepted(), {}};
  for (const QList<QVariant>& call : opened) result.opened << call.at(0).toString();
  return result;
}

QMimeData* Files(const QStringList& names) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& name : names) urls << (name.contains("://") ? QUrl(name) : QUrl::fromLocalFile(name));
  data->setUrls(urls);
  return data;
}

TEST(DropStackedWidget, OpensTheFirstImageAndAcceptsOnlyThat) {
  DropStackedWidget widget;
  std::unique_ptr<QMimeData> several(Files({"/p/a.txt", "/p/b.doc", "/p/c.JPG", "/p/d.png"}));
  Drop drop = DropOn(widget, *several);
  EXPECT_EQ(drop.opened, QStringList{"/p/c.JPG"});
  EXPECT_TRUE(drop.accepted);

  std::unique_ptr<QMimeData> unknown(Files({"/p/x.abc"}));
  drop = DropOn(widget, *unknown);
  EXPECT_EQ(drop.opened, QStringList{"/p/x.abc"});
  EXPECT_FALSE(drop.accepted);
}

TEST(DropStackedWidget, LinksAreNoFiles) {
  DropStackedWidget widget;
  std::unique_ptr<QMimeData> link(Files({"http://example.com/photo.jpg"}));
  Drop drop = DropOn(widget, *link);
  EXPECT_TRUE(drop.opened.isEmpty());
  EXPECT_FALSE(drop.accepted);

  std::unique_ptr<QMimeData> mixed(Files({"https://example.com/a.png", "/p/b.abc"}));
  EXPECT_EQ(DropOn(widget, *mixed).opened, QStringList{"/p/b.abc"});
}

TEST(DropStackedWidget, TextIsNeitherTakenOnEntryNorAtTheDrop) {
  DropStackedWidget widget;
  QMimeData text;
  text.setText("/p/c.jpg");
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &enter);
  EXPECT_FALSE(enter.isAccepted());
  const Drop drop = DropOn(widget, text);
  EXPECT_FALSE(drop.accepted);
  EXPECT_TRUE(drop.opened.isEmpty());

  std::unique_ptr<QMimeData> files(Files({"/p/x.abc"}));
  QDragEnterEvent withFiles(QPoint(5, 5), Qt::CopyAction, files.get(), Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &withFiles);
  EXPECT_TRUE(withFiles.isAccepted());
}

}  // namespace

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
  bool entered;
  bool accepted;
  QStringList opened;
};

// As a real drag: the entry first, then the drop, which reaches only the widget that took the entry.
Drop DropOn(const QMimeData& data) {
  DropStackedWidget widget;
  QSignalSpy opened(&widget, &DropStackedWidget::openFile);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &drop);
  Drop result{enter.isAccepted(), drop.isAccepted(), {}};
  for (const QList<QVariant>& call : opened) result.opened << call.at(0).toString();
  return result;
}

Drop DropUrls(const QStringList& names) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& name : names) urls << (name.contains("://") ? QUrl(name) : QUrl::fromLocalFile(name));
  data.setUrls(urls);
  return DropOn(data);
}

TEST(DropStackedWidget, OpensTheFirstImageElseTheFirstFileUnaccepted) {
  Drop drop = DropUrls({"/p/a.txt", "/p/b.doc", "/p/c.JPG", "/p/d.png"});
  EXPECT_EQ(drop.opened, QStringList{"/p/c.JPG"});
  EXPECT_TRUE(drop.accepted);

  drop = DropUrls({"/p/x.abc"});
  EXPECT_TRUE(drop.entered);
  EXPECT_EQ(drop.opened, QStringList{"/p/x.abc"});
  EXPECT_FALSE(drop.accepted);
}

TEST(DropStackedWidget, LinksAndTextOpenNothing) {
  EXPECT_TRUE(DropUrls({"http://example.com/photo.jpg"}).opened.isEmpty());
  EXPECT_EQ(DropUrls({"https://example.com/a.png", "/p/b.abc"}).opened, QStringList{"/p/b.abc"});

  QMimeData text;
  text.setText("/p/c.jpg");
  const Drop drop = DropOn(text);
  EXPECT_FALSE(drop.entered);
  EXPECT_FALSE(drop.accepted);
  EXPECT_TRUE(drop.opened.isEmpty());
}

}  // namespace

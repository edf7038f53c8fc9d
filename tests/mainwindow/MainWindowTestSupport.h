// A fake image controller, scripted file and print dialogs, and alert answers by button text.
#pragma once

#include "support/ProgramTestSupport.h"

#include "Engine/IWorkspaceController.h"
#include "Engine/PaintTools.h"
#include "UI/IDocumentDialogs.h"
#include "UI/ISaveFilePanel.h"
#include "UI/MainWindow.h"

#include <QAbstractButton>
#include <QGraphicsScene>
#include <QPrinter>

#include <gmock/gmock.h>

#include <deque>
#include <functional>
#include <memory>

namespace TestSupport {

class FakeController : public Zentor::RefCounted<Zentor::Glimra::IWorkspaceController> {
 public:
  using Property = Zentor::Core::Property;

  FakeController() : tools_(new Zentor::Glimra::PaintTools(*engine)) {
    using testing::_;
    using testing::Return;
    ON_CALL(*this, GetScene()).WillByDefault(Return(&scene_));
    ON_CALL(*this, GetPaintTools()).WillByDefault(Return(tools_));
    ON_CALL(*this, GetUndoEngine()).WillByDefault(Return(engine.get()));
    ON_CALL(*this, GetFileName()).WillByDefault(Return(QStringLiteral("/photos/holiday.jpg")));
    ON_CALL(*this, RegisterCoreEventHandler(_)).WillByDefault([this](Zentor::Glimra::ICoreEventHandler* h) {
      core.push_back(h);
    });
    ON_CALL(*this, RegisterDrawerEventHandler(_)).WillByDefault([this](Zentor::Glimra::IDrawerEventHandler* h) {
      drawer.push_back(h);
      h->HandleEventChangeToSave(false);
    });
  }
  ~FakeController() override { delete tools_; }

  // What the engine would report after a change or a save.
  void ReportChanged(bool changed) {
    for (auto* handler : drawer) handler->HandleEventChangeToSave(changed);
  }

  MOCK_METHOD(QGraphicsScene*, GetScene, (), (const, override));
  MOCK_METHOD(Zentor::Glimra::PaintTools*, GetPaintTools, (), (const, override));
  MOCK_METHOD(Zentor::Glimra::IGlimraUndoBase*, GetUndoEngine, (), (const, override));
  MOCK_METHOD(void, RegisterCoreEventHandler, (Zentor::Glimra::ICoreEventHandler*), (override));
  MOCK_METHOD(void, RegisterDrawerEventHandler, (Zentor::Glimra::IDrawerEventHandler*), (override));
  MOCK_METHOD(QString, GetFileName, (), (const, override));
  MOCK_METHOD(bool, SaveOverwrite, (), (override));
  MOCK_METHOD(void, Save, (const QString&), (override));
  MOCK_METHOD(void, SaveSession, (), (override));
  MOCK_METHOD(void, SetProgressController, (const Zentor::Core::ProgressControllerPtr&), (override));
  MOCK_METHOD(void, LoadSelection, (const std::string&), (override));
  MOCK_METHOD(void, SaveSelection, (const std::string&), (const, override));
  MOCK_METHOD(QImage, GetFrame, (), (const, override));
  MOCK_METHOD(Property, GetFrameInfo, (), (const, override));
  MOCK_METHOD(QImage, GetSnapshot, (), (const, override));
  MOCK_METHOD(Property, GetFileInfo, (), (const, override));
  MOCK_METHOD(void, SetSaveReplaceSettings, (const Property&), (override));
  MOCK_METHOD(void, Debug, (), (override));
  MOCK_METHOD(bool, IsSessionRestored, (), (const, override));

  boost::intrusive_ptr<NiceFakeEngine> engine{new NiceFakeEngine};
  std::vector<Zentor::Glimra::ICoreEventHandler*> core;
  std::vector<Zentor::Glimra::IDrawerEventHandler*> drawer;

 private:
  QGraphicsScene scene_;
  Zentor::Glimra::PaintTools* tools_;
};

using NiceFakeController = testing::NiceMock<FakeController>;

// Answers with the queued paths (empty when none is left) and records what it was asked.
class ScriptedDialogs : public Zentor::Glimra::IDocumentDialogs {
 public:
  struct Request {
    QString caption, start, filter, selected;
  };

  QString GetOpenFileName(QWidget*, const QString& caption, const QString& folder, const QString& filter,
                          QString* selected, QFileDialog::Options) override {
    return Answer({caption, folder, filter, selected ? *selected : QString()});
  }
  QString GetSaveFileName(QWidget*, const QString& caption, const QString& proposal, const QString& filter,
                          QString* selected, QFileDialog::Options) override {
    return Answer({caption, proposal, filter, selected ? *selected : QString()});
  }
  bool ExecPrintDialog(QPrinter& printer, QWidget*) override { return print ? print(printer) : false; }

  std::deque<QString> answers;
  std::vector<Request> requests;
  std::function<bool(QPrinter&)> print;

 private:
  QString Answer(Request request) {
    requests.push_back(std::move(request));
    if (answers.empty()) return QString();
    QString answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

class ScriptedSavePanel : public Zentor::Glimra::ISaveFilePanel {
 public:
  QString Browse(const QString&, const QString&, const QString&, const QString& currentFile,
                 Zentor::Core::Property& options, QWidget*) override {
    ++runs;
    shownFile = currentFile;
    if (changeOptions) changeOptions(options);
    return answer;
  }
  QString answer;
  QString shownFile;
  int runs = 0;
  std::function<void(Zentor::Core::Property&)> changeOptions;
};

// Clicks, in turn, the buttons named by the texts (one per alert, "Esc" for the escape button);
// alerts past the list are answered with Cancel.
inline void AnswerWith(std::vector<QString> texts) {
  auto queue = std::make_shared<std::deque<QString>>(texts.begin(), texts.end());
  AnswerAlerts([queue](Zentor::App::AlertBox& box) {
    if (queue->empty()) return int(QMessageBox::Cancel);
    const QString text = queue->front();
    queue->pop_front();
    // What Esc clicks on a shown box; the hook's box is never shown.
    QAbstractButton* chosen = text == QLatin1String("Esc") ? box.escapeButton() : nullptr;
    for (QAbstractButton* button : box.buttons()) {
      if (!chosen && button->text() == text) chosen = button;
    }
    EXPECT_NE(chosen, nullptr) << "no button " << text.toStdString();
    if (chosen) chosen->click();
    return 0;
  });
}

}  // namespace TestSupport

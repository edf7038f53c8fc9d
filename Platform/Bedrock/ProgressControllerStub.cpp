#include "Core/Interfaces/IProgressController.h"

namespace Zentor {
namespace Core {

IProgressControllerClient::~IProgressControllerClient() = default;
IProgressController::~IProgressController() = default;

namespace {

// Ignores every report and never asks to stop.
class ProgressControllerStubImpl final : public RefCounted<IProgressController> {
 public:
  void Notify(NotifyEvent) override {}
  void SetMaximum(int) override {}
  void SetProgress(int) override {}
  void IncProgress(int) override {}
  bool CheckForStop() const override { return false; }
  void SetClient(IProgressControllerClient*) override {}
};

}  // namespace

ProgressControllerPtr ProgressControllerStub::Create() { return ProgressControllerPtr(new ProgressControllerStubImpl()); }

}  // namespace Core
}  // namespace Zentor

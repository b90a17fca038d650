// One tab's engine behind the engine port. Every operation is ignored when the view has no
// engine (its creation failed or it was already released).
#pragma once

#include <memory>

#include "view/engine_port.h"

namespace zel {

class CHtmlViewBase : public EngineEvents {
 public:
  explicit CHtmlViewBase(std::unique_ptr<Engine> engine) : engine_(std::move(engine)) {
    if (engine_) engine_->SetEvents(this);
  }
  ~CHtmlViewBase() override {
    if (engine_) engine_->SetEvents(nullptr);
  }

  Engine* engine() const { return engine_.get(); }

  void Navigate2(const NavRequest& r) {
    if (engine_) engine_->Navigate2(r);
  }
  void GoBack(int n = 1) {
    if (engine_) engine_->GoBack(n);
  }
  void GoForward(int n = 1) {
    if (engine_) engine_->GoForward(n);
  }
  void GoHome() {
    if (engine_) engine_->GoHome();
  }
  void Stop() {
    if (engine_) engine_->Stop();
  }
  void Refresh2(int level) {
    if (engine_) engine_->Refresh2(level);
  }
  u16 GetLocationURL() const { return engine_ ? engine_->LocationURL() : u16(); }
  u16 GetLocationName() const { return engine_ ? engine_->LocationName() : u16(); }
  bool GetBusy() const { return engine_ && engine_->Busy(); }
  void ExecWB(int command, int option, int argument = 0) {
    if (engine_) engine_->ExecWB(command, option, argument);
  }
  void RunScript(u16view script, std::function<void(const ScriptResult&)> done) {
    if (engine_) engine_->RunScript(script, std::move(done));
  }
  void SetSilent(bool on) {
    if (engine_) engine_->SetSilent(on);
  }
  void SetRegisterAsBrowser(bool on) {
    if (engine_) engine_->SetRegisterAsBrowser(on);
  }
  void FocusPage() {
    if (engine_) engine_->Focus();
  }

 protected:
  std::unique_ptr<Engine> engine_;
};

}  // namespace zel

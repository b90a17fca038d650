// "设置默认浏览器": the start-up question as a dialog over the frame that does not hold the
// main loop (the pages keep loading behind it).
#pragma once

#include <gtkmm.h>

#include <memory>

#include "defbrowser/default_browser_question.h"

namespace zel {

class DefaultBrowserDialog : public DefaultBrowserQuestionView {
 public:
  explicit DefaultBrowserDialog(Gtk::Window* parent) : parent_(parent) {}
  ~DefaultBrowserDialog() override;
  void AskSetDefault(std::function<void(DefaultQuestionAnswer)> answer) override;

 private:
  struct Shown;
  Gtk::Window* parent_;
  std::shared_ptr<Shown> shown_;
};

}  // namespace zel

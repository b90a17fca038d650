// Message boxes and input dialogs with GTK.
#pragma once

#include <gtkmm.h>

#include "platform/prompt_port.h"

namespace zel {

class GtkPrompts : public PromptPort {
 public:
  // parent may be null (a second instance has no window).
  explicit GtkPrompts(Gtk::Window* parent = nullptr) : parent_(parent) {}
  void SetParent(Gtk::Window* parent) { parent_ = parent; }

  void Message(u16view text, u16view caption, PromptIcon icon) override;
  bool AskYesNo(u16view text, u16view caption, PromptIcon icon, AnswerLabels labels) override;
  std::optional<u16> AskLongText(u16view prompt, u16view caption, u16view initial) override;
  std::optional<u16> AskText(u16view prompt, u16view caption, u16view initial,
                             bool secret) override;
  std::optional<u16> AskSaveFile(u16view name, u16view defaultExtension,
                                 u16view filter) override;

 private:
  Gtk::Window* parent_;
};

}  // namespace zel

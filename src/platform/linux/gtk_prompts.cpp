#include "platform/linux/gtk_prompts.h"

namespace zel {

namespace {

Gtk::MessageType TypeOf(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::Question:
      return Gtk::MESSAGE_QUESTION;
    case PromptIcon::Warning:
      return Gtk::MESSAGE_WARNING;
    case PromptIcon::Error:
      return Gtk::MESSAGE_ERROR;
    case PromptIcon::Info:
      return Gtk::MESSAGE_INFO;
    case PromptIcon::None:
      break;
  }
  return Gtk::MESSAGE_OTHER;
}

int Run(Gtk::Window* parent, u16view text, u16view caption, PromptIcon icon,
        Gtk::ButtonsType buttons) {
  std::unique_ptr<Gtk::MessageDialog> d;
  if (parent)
    d = std::make_unique<Gtk::MessageDialog>(*parent, ToUtf8(text), false, TypeOf(icon), buttons,
                                             true);
  else
    d = std::make_unique<Gtk::MessageDialog>(ToUtf8(text), false, TypeOf(icon), buttons, true);
  d->set_title(ToUtf8(caption));
  return d->run();
}

}  // namespace

void GtkPrompts::Message(u16view text, u16view caption, PromptIcon icon) {
  Run(parent_, text, caption, icon, Gtk::BUTTONS_OK);
}

bool GtkPrompts::AskYesNo(u16view text, u16view caption, PromptIcon icon) {
  return Run(parent_, text, caption, icon, Gtk::BUTTONS_YES_NO) == Gtk::RESPONSE_YES;
}

std::optional<u16> GtkPrompts::AskText(u16view prompt, u16view caption, u16view initial,
                                       bool secret) {
  Gtk::Dialog d(ToUtf8(caption), true);
  if (parent_) d.set_transient_for(*parent_);
  d.add_button("确认", Gtk::RESPONSE_OK);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.set_default_response(Gtk::RESPONSE_OK);
  Gtk::Label label(ToUtf8(prompt));
  label.set_xalign(0);
  Gtk::Entry entry;
  entry.set_text(ToUtf8(initial));
  entry.set_visibility(!secret);
  entry.set_activates_default(true);
  auto* box = d.get_content_area();
  box->set_spacing(6);
  box->set_border_width(8);
  box->pack_start(label, Gtk::PACK_SHRINK);
  box->pack_start(entry, Gtk::PACK_SHRINK);
  d.show_all();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return FromUtf8(entry.get_text().raw());
}

}  // namespace zel

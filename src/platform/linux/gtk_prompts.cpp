#include "platform/linux/gtk_prompts.h"

#include "platform/linux/message_box.h"

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

int Run(Gtk::Window* parent, u16view text, u16view caption, PromptIcon icon, BoxButtons buttons) {
  return RunMessageBox(parent, ToUtf8(text), ToUtf8(caption), TypeOf(icon), buttons);
}

}  // namespace

void GtkPrompts::Message(u16view text, u16view caption, PromptIcon icon) {
  Run(parent_, text, caption, icon, BoxButtons::Ok);
}

bool GtkPrompts::AskYesNo(u16view text, u16view caption, PromptIcon icon, AnswerLabels labels) {
  BoxButtons buttons =
      labels == AnswerLabels::ConfirmCancel ? BoxButtons::ConfirmCancel : BoxButtons::YesNo;
  return Run(parent_, text, caption, icon, buttons) == Gtk::RESPONSE_YES;
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

std::optional<u16> GtkPrompts::AskLongText(u16view prompt, u16view caption, u16view initial) {
  Gtk::Dialog d(ToUtf8(caption), true);
  if (parent_) d.set_transient_for(*parent_);
  d.add_button("确认", Gtk::RESPONSE_OK);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.set_default_response(Gtk::RESPONSE_OK);
  d.set_default_size(420, -1);
  Gtk::Label label(ToUtf8(prompt));
  label.set_xalign(0);
  Gtk::TextView edit;
  edit.set_name("long-text");
  edit.set_wrap_mode(Gtk::WRAP_CHAR);
  edit.get_buffer()->set_text(ToUtf8(initial));
  Gtk::ScrolledWindow scroll;
  scroll.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
  scroll.set_shadow_type(Gtk::SHADOW_IN);
  scroll.set_min_content_height(90);
  scroll.add(edit);
  auto* box = d.get_content_area();
  box->set_spacing(6);
  box->set_border_width(8);
  box->pack_start(label, Gtk::PACK_SHRINK);
  box->pack_start(scroll, Gtk::PACK_EXPAND_WIDGET);
  d.show_all();
  edit.grab_focus();
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  return FromUtf8(edit.get_buffer()->get_text().raw());
}

std::optional<u16> GtkPrompts::AskSaveFile(u16view name, u16view defaultExtension,
                                           u16view filter) {
  Gtk::FileChooserDialog d("另存为", Gtk::FILE_CHOOSER_ACTION_SAVE);
  if (parent_) d.set_transient_for(*parent_);
  d.add_button("取消", Gtk::RESPONSE_CANCEL);
  d.add_button("保存", Gtk::RESPONSE_OK);
  d.set_default_response(Gtk::RESPONSE_OK);
  d.set_do_overwrite_confirmation(true);
  d.set_current_name(ToUtf8(name));
  // "label|pattern|label|pattern||"
  std::vector<u16> parts = Split(filter, u'|');
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    auto f = Gtk::FileFilter::create();
    f->set_name(ToUtf8(parts[i]));
    for (const u16& pattern : Split(parts[i + 1], u';')) f->add_pattern(ToUtf8(pattern));
    d.add_filter(f);
  }
  if (d.run() != Gtk::RESPONSE_OK) return std::nullopt;
  std::string path = d.get_filename();
  if (path.empty()) return std::nullopt;
  // The default extension goes on a name that has none.
  size_t slash = path.rfind('/');
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (!defaultExtension.empty() && base.find('.') == std::string::npos)
    path += "." + ToUtf8(defaultExtension);
  return FromUtf8(path);
}

}  // namespace zel

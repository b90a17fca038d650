#include "platform/linux/message_box.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

namespace zel {

std::unique_ptr<Gtk::MessageDialog> MakeMessageBox(Gtk::Window* parent, const std::string& text,
                                                   const std::string& title,
                                                   Gtk::MessageType type, BoxButtons buttons) {
  std::unique_ptr<Gtk::MessageDialog> d;
  if (parent)
    d = std::make_unique<Gtk::MessageDialog>(*parent, text, false, type, Gtk::BUTTONS_NONE, true);
  else
    d = std::make_unique<Gtk::MessageDialog>(text, false, type, Gtk::BUTTONS_NONE, true);
  d->set_title(title);
  switch (buttons) {
    case BoxButtons::Ok:
      d->add_button("确定", Gtk::RESPONSE_OK);
      d->set_default_response(Gtk::RESPONSE_OK);
      break;
    case BoxButtons::YesNo:
      d->add_button("是", Gtk::RESPONSE_YES);
      d->add_button("否", Gtk::RESPONSE_NO);
      d->set_default_response(Gtk::RESPONSE_YES);
      break;
    case BoxButtons::ConfirmCancel:
      d->add_button("确认", Gtk::RESPONSE_YES);
      d->add_button("取消", Gtk::RESPONSE_NO);
      d->set_default_response(Gtk::RESPONSE_YES);
      break;
    case BoxButtons::Close:
      d->add_button("关闭", Gtk::RESPONSE_CLOSE);
      d->set_default_response(Gtk::RESPONSE_CLOSE);
      break;
  }
  return d;
}

int RunMessageBox(Gtk::Window* parent, const std::string& text, const std::string& title,
                  Gtk::MessageType type, BoxButtons buttons) {
  return MakeMessageBox(parent, text, title, type, buttons)->run();
}

void UseChineseTranslations() {
  // gettext reads LANGUAGE before the locale's own language, except under the plain "C"
  // locale, which it never translates: that one becomes C.UTF-8 for messages alone (numbers,
  // dates and sorting keep the session's rules).
  const char* messages = std::setlocale(LC_MESSAGES, nullptr);
  if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0) {
    std::setlocale(LC_MESSAGES, "C.UTF-8");
    const char* all = std::getenv("LC_ALL");
    if (!all || !*all) g_setenv("LC_MESSAGES", "C.UTF-8", TRUE);
  }
  // The web processes started later inherit it with the environment.
  g_setenv("LANGUAGE", "zh_CN:zh_TW:zh", TRUE);
}

}  // namespace zel

#include "defbrowser/gtk/default_browser_dialog.h"

#include "base/text.h"

namespace zel {

struct DefaultBrowserDialog::Shown {
  Gtk::Dialog dialog{ToUtf8(kDefaultQuestionTitle), false};
  Gtk::Label text{ToUtf8(kDefaultQuestionText)};
  Gtk::CheckButton again{ToUtf8(kDefaultQuestionCheck)};
  std::function<void(DefaultQuestionAnswer)> answer;
};

DefaultBrowserDialog::~DefaultBrowserDialog() = default;

void DefaultBrowserDialog::AskSetDefault(std::function<void(DefaultQuestionAnswer)> answer) {
  if (shown_) return;  // one question at a time
  shown_ = std::make_shared<Shown>();
  Shown& s = *shown_;
  s.answer = std::move(answer);
  s.dialog.set_name("default-browser-dialog");
  if (parent_) s.dialog.set_transient_for(*parent_);
  s.dialog.set_modal(true);
  s.dialog.set_resizable(false);
  s.text.set_xalign(0);
  s.text.set_margin_start(12);
  s.text.set_margin_end(12);
  s.text.set_margin_top(12);
  s.again.set_name("default-browser-again");
  s.again.set_margin_start(12);
  s.again.set_margin_bottom(6);
  Gtk::Box* area = s.dialog.get_content_area();
  area->set_spacing(12);
  area->pack_start(s.text, Gtk::PACK_SHRINK);
  area->pack_start(s.again, Gtk::PACK_SHRINK);
  s.dialog.add_button("确定", Gtk::RESPONSE_OK)->set_name("default-browser-ok");
  s.dialog.add_button("取消", Gtk::RESPONSE_CANCEL)->set_name("default-browser-cancel");
  s.dialog.set_default_response(Gtk::RESPONSE_OK);
  s.dialog.signal_response().connect([this](int response) {
    std::shared_ptr<Shown> done = std::move(shown_);
    DefaultQuestionAnswer a{response == Gtk::RESPONSE_OK, done->again.get_active()};
    auto answer = std::move(done->answer);
    done->dialog.hide();
    // The dialog goes once its signal has returned.
    Glib::signal_idle().connect_once([done] {});
    if (answer) answer(a);
  });
  s.dialog.show_all();
  s.dialog.present();
}

}  // namespace zel

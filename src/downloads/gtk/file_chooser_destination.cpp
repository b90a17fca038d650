#include "downloads/gtk/file_chooser_destination.h"

#include <glib/gstdio.h>

#include <memory>

namespace zel {

void FileChooserDestination::ChooseDestination(u16view folder, u16view name,
                                               std::function<void(std::optional<u16>)> done) {
  auto* dialog = new Gtk::FileChooserDialog("保存下载的文件", Gtk::FILE_CHOOSER_ACTION_SAVE);
  if (parent_) dialog->set_transient_for(*parent_);
  dialog->add_button("取消", Gtk::RESPONSE_CANCEL);
  dialog->add_button("保存", Gtk::RESPONSE_OK);
  dialog->set_default_response(Gtk::RESPONSE_OK);
  dialog->set_do_overwrite_confirmation(true);
  dialog->set_modal(true);
  std::string dir = ToUtf8(folder);
  // The folder is made when it is not there yet, so the dialog opens in it.
  if (!dir.empty()) g_mkdir_with_parents(dir.c_str(), 0755);
  if (!dir.empty()) dialog->set_current_folder(dir);
  dialog->set_current_name(ToUtf8(name));
  auto answer = std::make_shared<std::function<void(std::optional<u16>)>>(std::move(done));
  dialog->signal_response().connect([dialog, answer](int response) {
    // Only the first response answers.
    if (!*answer) return;
    std::optional<u16> path;
    if (response == Gtk::RESPONSE_OK) {
      std::string chosen = dialog->get_filename();
      if (!chosen.empty()) path = FromUtf8(chosen);
    }
    dialog->hide();
    // The dialog goes after its own signal.
    Glib::signal_idle().connect_once([dialog] { delete dialog; });
    auto done = std::move(*answer);
    *answer = nullptr;
    done(path);
  });
  dialog->show();
}

}  // namespace zel

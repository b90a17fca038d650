#include "downloads/gtk/downloads_bar.h"

#include <string>

namespace zel {

struct DownloadsBar::Row {
  Gtk::Box box{Gtk::ORIENTATION_HORIZONTAL, 6};
  Gtk::Label name;
  Gtk::ProgressBar progress;
  Gtk::Button cancel{"取消"};
  Gtk::Button open{"打开"};
  Gtk::Button folder{"打开文件夹"};
};

DownloadsBar::DownloadsBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6) {
  set_name("downloads-bar");
  set_border_width(2);
  rows_.set_name("download-rows");
  close_.set_name("downloads-close");
  close_.set_image_from_icon_name("window-close-symbolic", Gtk::ICON_SIZE_MENU);
  close_.set_relief(Gtk::RELIEF_NONE);
  close_.set_tooltip_text("关闭下载栏");
  close_.set_valign(Gtk::ALIGN_START);
  title_.set_valign(Gtk::ALIGN_START);
  pack_start(title_, Gtk::PACK_SHRINK);
  pack_start(rows_, Gtk::PACK_EXPAND_WIDGET);
  pack_end(close_, Gtk::PACK_SHRINK);
  close_.signal_clicked().connect([this] {
    if (actions_.close) actions_.close();
  });
  show_all_children();
  set_no_show_all(true);
  hide();
}

DownloadsBar::~DownloadsBar() = default;

void DownloadsBar::ShowDownloadsBar(bool show) { set_visible(show); }

void DownloadsBar::AddDownloadRow(int id, u16view name) {
  auto it = byId_.find(id);
  if (it != byId_.end()) {
    it->second->name.set_text(ToUtf8(name));
    return;
  }
  auto row = std::make_unique<Row>();
  const std::string n = std::to_string(id);
  row->box.set_name("download-" + n);
  row->name.set_name("download-name");
  row->progress.set_name("download-progress");
  row->cancel.set_name("download-cancel");
  row->open.set_name("download-open");
  row->folder.set_name("download-folder");
  row->name.set_text(ToUtf8(name));
  row->name.set_xalign(0);
  row->name.set_width_chars(24);
  row->name.set_max_width_chars(40);
  row->name.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
  row->progress.set_show_text(true);
  row->progress.set_valign(Gtk::ALIGN_CENTER);
  row->box.pack_start(row->name, Gtk::PACK_SHRINK);
  row->box.pack_start(row->progress, Gtk::PACK_EXPAND_WIDGET);
  row->box.pack_start(row->cancel, Gtk::PACK_SHRINK);
  row->box.pack_start(row->open, Gtk::PACK_SHRINK);
  row->box.pack_start(row->folder, Gtk::PACK_SHRINK);
  row->cancel.signal_clicked().connect([this, id] {
    if (actions_.cancel) actions_.cancel(id);
  });
  row->open.signal_clicked().connect([this, id] {
    if (actions_.open) actions_.open(id);
  });
  row->folder.signal_clicked().connect([this, id] {
    if (actions_.openFolder) actions_.openFolder(id);
  });
  row->open.set_sensitive(false);
  row->folder.set_sensitive(false);
  row->box.show_all();
  rows_.pack_start(row->box, Gtk::PACK_SHRINK);
  byId_[id] = std::move(row);
}

void DownloadsBar::UpdateDownloadRow(int id, double fraction, u16view text, DownloadState state) {
  auto it = byId_.find(id);
  if (it == byId_.end()) return;
  Row& row = *it->second;
  if (fraction < 0)
    row.progress.pulse();
  else
    row.progress.set_fraction(fraction > 1 ? 1 : fraction);
  row.progress.set_text(ToUtf8(text));
  const bool ended = state == DownloadState::Done || state == DownloadState::Failed;
  // An ended row's first button takes it off the bar.
  row.cancel.set_label(ended ? "清除" : "取消");
  row.open.set_sensitive(state == DownloadState::Done);
  row.folder.set_sensitive(state == DownloadState::Done);
}

void DownloadsBar::RemoveDownloadRow(int id) {
  auto it = byId_.find(id);
  if (it == byId_.end()) return;
  rows_.remove(it->second->box);
  byId_.erase(it);
}

}  // namespace zel

// The downloads bar above the status bar: a row per download (its name, a progress bar
// with the bytes and the speed, "取消", "打开", "打开文件夹") and a close button.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <memory>

#include "downloads/downloads_bar_view.h"

namespace zel {

class DownloadsBar : public Gtk::Box, public DownloadsBarView {
 public:
  struct Actions {
    std::function<void(int id)> cancel;  // also removes an ended row
    std::function<void(int id)> open;
    std::function<void(int id)> openFolder;
    std::function<void()> close;
  };

  DownloadsBar();
  ~DownloadsBar() override;
  void SetActions(Actions actions) { actions_ = std::move(actions); }

  void ShowDownloadsBar(bool show) override;
  bool DownloadsBarShown() const override { return get_visible(); }
  void AddDownloadRow(int id, u16view name) override;
  void UpdateDownloadRow(int id, double fraction, u16view text, DownloadState state) override;
  void RemoveDownloadRow(int id) override;

 private:
  struct Row;
  Actions actions_;
  Gtk::Label title_{"下载"};
  Gtk::Box rows_{Gtk::ORIENTATION_VERTICAL, 2};
  Gtk::Button close_;
  std::map<int, std::unique_ptr<Row>> byId_;
};

}  // namespace zel

#include "privacy/gtk/clear_dialog.h"

#include <memory>

namespace zel {

namespace {

// The boxes in the order of the kinds they stand for, two to a row.
constexpr const char* kTraceTexts[kTraceKinds] = {
    "Internet临时文件", "Cookies",       "记录的表单数据",   "网页访问的历史记录",
    "地址栏列表",       "搜索栏列表",    "撤销关闭列表的记录",
};

}  // namespace

std::optional<TraceChoice> ClearDialog::AskTraces() {
  Gtk::Dialog dialog("全部清除", true);
  if (parent_) dialog.set_transient_for(*parent_);
  dialog.set_resizable(false);
  dialog.set_name("clear-dialog");
  Gtk::Frame group("选择要清除的信息");
  Gtk::Grid grid;
  grid.set_row_spacing(6);
  grid.set_column_spacing(18);
  grid.set_border_width(10);
  std::unique_ptr<Gtk::CheckButton> boxes[kTraceKinds];
  for (int i = 0; i < kTraceKinds; ++i) {
    boxes[i] = std::make_unique<Gtk::CheckButton>(kTraceTexts[i]);
    grid.attach(*boxes[i], i % 2, i / 2);
  }
  group.add(grid);
  Gtk::Button all("全选(_A)", true), none("不选(_N)", true);
  all.signal_clicked().connect([&] {
    for (auto& b : boxes) b->set_active(true);
  });
  none.signal_clicked().connect([&] {
    for (auto& b : boxes) b->set_active(false);
  });
  Gtk::ButtonBox choices(Gtk::ORIENTATION_HORIZONTAL);
  choices.set_layout(Gtk::BUTTONBOX_START);
  choices.set_spacing(6);
  choices.pack_start(all);
  choices.pack_start(none);
  Gtk::Box* area = dialog.get_content_area();
  area->set_spacing(8);
  area->set_border_width(8);
  area->pack_start(group);
  area->pack_start(choices);
  dialog.add_button("立即清除", Gtk::RESPONSE_OK);
  dialog.add_button("关闭", Gtk::RESPONSE_CLOSE);
  dialog.set_default_response(Gtk::RESPONSE_CLOSE);
  dialog.show_all();
  if (dialog.run() != Gtk::RESPONSE_OK) return std::nullopt;
  TraceChoice chosen{};
  for (int i = 0; i < kTraceKinds; ++i) chosen[i] = boxes[i]->get_active();
  return chosen;
}

}  // namespace zel

#include "options/gtk/options_dialog.h"

#include "options/gtk/options_pages.h"
#include "options/prefs_sheet.h"
#include "platform/linux/message_box.h"
#include "platform/prompt_port.h"

namespace zel {

namespace {
// The responses of the two buttons that leave the dialog open.
constexpr int kInternetOptionsResponse = 1520;
constexpr int kRestoreDefaultsResponse = 1521;

class PageColumns : public Gtk::TreeModelColumnRecord {
 public:
  PageColumns() {
    add(label);
    add(page);
  }
  Gtk::TreeModelColumn<Glib::ustring> label;
  Gtk::TreeModelColumn<int> page;
};

std::string StackName(OptionsPageId id) { return "page-" + std::to_string(int(id)); }

void Tell(Gtk::Window& over, const u16& text) {
  RunMessageBox(&over, ToUtf8(text), ToUtf8(kAppTitle), Gtk::MESSAGE_WARNING, BoxButtons::Ok);
}
}  // namespace

std::optional<OptionsValues> OptionsDialog::EditOptions(const OptionsValues& values,
                                                        OptionsDialogEvents& events) {
  Gtk::Dialog dialog("Zel浏览器 选项", true);
  if (parent_) dialog.set_transient_for(*parent_);
  dialog.set_name("options-dialog");
  dialog.set_default_size(560, 400);

  OptionsSheet sheet(values);
  CStartProp start(events);
  CTabProp tabs;
  CSafeProp safe;
  CSAPrefsSubDlg* pages[] = {&start, &tabs, &safe};
  Gtk::Widget* widgets[] = {&start, &tabs, &safe};

  PageColumns columns;
  Glib::RefPtr<Gtk::TreeStore> model = Gtk::TreeStore::create(columns);
  Gtk::TreeView tree(model);
  tree.set_name("options-tree");
  tree.set_headers_visible(false);
  tree.append_column("", columns.label);
  Gtk::ScrolledWindow treeScroll;
  treeScroll.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
  treeScroll.set_shadow_type(Gtk::SHADOW_IN);
  treeScroll.set_size_request(130, -1);
  treeScroll.add(tree);

  Gtk::Stack stack;
  stack.set_name("options-pages");
  stack.set_hexpand(true);
  for (int i = 0; i < kOptionsPageCount; ++i) {
    sheet.AddPage(*pages[i]);
    stack.add(*widgets[i], StackName(pages[i]->id()));
    Gtk::TreeModel::Row row = *model->append();
    row[columns.label] = ToUtf8(OptionsPageLabel(pages[i]->id()));
    row[columns.page] = int(pages[i]->id());
  }

  // Choosing a page in the tree: the shown page is left only when it could be read.
  bool reselecting = false;
  auto selectShown = [&] {
    reselecting = true;
    int shown = int(sheet.shown()->id());
    for (const auto& row : model->children()) {
      const int page = row[columns.page];
      if (page == shown) tree.get_selection()->select(row);
    }
    reselecting = false;
  };
  // Let go before the locals the handler uses: a tree view being destroyed drops its
  // selection, which reports a change.
  struct Connection {
    sigc::connection c;
    ~Connection() { c.disconnect(); }
  } choosing;
  choosing.c = tree.get_selection()->signal_changed().connect([&] {
    if (reselecting) return;
    Gtk::TreeModel::iterator it = tree.get_selection()->get_selected();
    if (!it) return selectShown();
    CSAPrefsSubDlg* left = sheet.shown();
    const int chosen = (*it)[columns.page];
    if (!sheet.Show(OptionsPageId(chosen))) {
      selectShown();
      Tell(dialog, left->failure());
      return;
    }
    stack.set_visible_child(StackName(sheet.shown()->id()));
  });

  Gtk::Box body(Gtk::ORIENTATION_HORIZONTAL, 8);
  body.set_border_width(8);
  body.pack_start(treeScroll, Gtk::PACK_SHRINK);
  body.pack_start(stack);
  dialog.get_content_area()->pack_start(body);

  Gtk::Button* internet = dialog.add_button("Internet 选项", kInternetOptionsResponse);
  Gtk::Button* defaults = dialog.add_button("恢复本页默认", kRestoreDefaultsResponse);
  internet->set_name("options-internet");
  defaults->set_name("options-defaults");
  if (auto* box = dynamic_cast<Gtk::ButtonBox*>(internet->get_parent())) {
    box->set_child_secondary(*internet);
    box->set_child_secondary(*defaults);
  }
  dialog.add_button("确认", Gtk::RESPONSE_OK)->set_name("options-ok");
  dialog.add_button("取消", Gtk::RESPONSE_CANCEL)->set_name("options-cancel");
  dialog.set_default_response(Gtk::RESPONSE_OK);

  dialog.show_all();
  selectShown();
  stack.set_visible_child(StackName(sheet.shown()->id()));
  for (;;) {
    int response = dialog.run();
    if (response == kInternetOptionsResponse) {
      events.OpenInternetOptions();
    } else if (response == kRestoreDefaultsResponse) {
      sheet.RestoreShownDefaults();
    } else if (response == Gtk::RESPONSE_OK) {
      if (std::optional<OptionsValues> kept = sheet.Confirm()) return kept;
      Tell(dialog, sheet.shown()->failure());
    } else {
      return std::nullopt;
    }
  }
}

}  // namespace zel

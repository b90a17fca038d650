#include "history/gtk/history_pane.h"

namespace zel {

HistoryPane::HistoryPane(HistoryController& controller) : controller_(controller) {
  set_name("history-pane");
  store_ = Gtk::TreeStore::create(columns_);
  tree_.set_name("history-tree");
  tree_.set_model(store_);
  tree_.set_headers_visible(false);
  tree_.set_tooltip_column(columns_.tip.index());
  auto* column = Gtk::manage(new Gtk::TreeViewColumn());
  auto* icon = Gtk::manage(new Gtk::CellRendererPixbuf());
  auto* text = Gtk::manage(new Gtk::CellRendererText());
  column->pack_start(*icon, false);
  column->pack_start(*text, true);
  column->add_attribute(icon->property_icon_name(), columns_.icon);
  column->add_attribute(text->property_text(), columns_.text);
  tree_.append_column(*column);
  tree_.signal_test_expand_row().connect(
      [this](const Gtk::TreeModel::iterator& it, const Gtk::TreeModel::Path&) {
        FillRow(it);
        return false;
      },
      false);
  tree_.get_selection()->signal_changed().connect([this] {
    if (filling_) return;
    auto it = tree_.get_selection()->get_selected();
    if (!it) return;
    Glib::ustring url = (*it)[columns_.url];
    // A day or a site is only selected; it opens by its expander, a double-click or Enter.
    if (!url.empty()) controller_.OpenPage(FromUtf8(url.raw()));
  });
  tree_.signal_row_activated().connect([this](const Gtk::TreeModel::Path& path, Gtk::TreeViewColumn*) {
    auto it = store_->get_iter(path);
    if (!it || !Glib::ustring((*it)[columns_.url]).empty()) return;
    if (tree_.row_expanded(path)) tree_.collapse_row(path);
    else tree_.expand_row(path, false);
  });
  set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  add(tree_);
  show_all_children();
  // Read from the store each time the pane comes on screen.
  signal_map().connect([this] { controller_.RefreshPane(); });
}

void HistoryPane::ShowTree(std::vector<HistoryGroup> groups) {
  filling_ = true;
  groups_ = std::move(groups);
  store_->clear();
  for (size_t g = 0; g < groups_.size(); ++g) {
    Gtk::TreeModel::Row row = *store_->append();
    row[columns_.text] = ToUtf8(groups_[g].name);
    row[columns_.icon] = "folder";
    row[columns_.group] = int(g);
    row[columns_.site] = -1;
    row[columns_.filled] = false;
    store_->append(row.children());  // the expander, until the group is opened
  }
  filling_ = false;
}

void HistoryPane::FillRow(const Gtk::TreeModel::iterator& it) {
  if ((*it)[columns_.filled]) return;
  (*it)[columns_.filled] = true;
  filling_ = true;
  while (!it->children().empty()) store_->erase(it->children().begin());
  int g = (*it)[columns_.group];
  int s = (*it)[columns_.site];
  if (g < 0 || size_t(g) >= groups_.size()) {
    filling_ = false;
    return;
  }
  const HistoryGroup& group = groups_[size_t(g)];
  if (s < 0) {
    for (size_t i = 0; i < group.sites.size(); ++i) {
      Gtk::TreeModel::Row row = *store_->append(it->children());
      row[columns_.text] = ToUtf8(group.sites[i].name);
      row[columns_.icon] = "folder";
      row[columns_.group] = g;
      row[columns_.site] = int(i);
      row[columns_.filled] = false;
      store_->append(row.children());
    }
  } else if (size_t(s) < group.sites.size()) {
    for (const HistoryPage& p : group.sites[size_t(s)].pages) {
      Gtk::TreeModel::Row row = *store_->append(it->children());
      row[columns_.text] = ToUtf8(p.title);
      row[columns_.icon] = "text-html";
      row[columns_.url] = ToUtf8(p.url);
      row[columns_.tip] = Glib::Markup::escape_text(ToUtf8(p.url));
      row[columns_.group] = g;
      row[columns_.site] = s;
      row[columns_.filled] = true;
    }
  }
  filling_ = false;
}

}  // namespace zel

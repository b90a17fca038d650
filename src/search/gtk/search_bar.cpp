#include "search/gtk/search_bar.h"

#include "platform/linux/combo_list.h"
#include "search/search_engines.h"

namespace zel {

namespace {
// A keyword of megabytes would only cost the list's layout: past 512 code units the row
// is cut (never inside a surrogate pair) and ends in "…", as the frame's titles are.
std::string ShownKeyword(u16view text) {
  constexpr size_t kMax = 512;
  if (text.size() <= kMax) return ToUtf8(text);
  size_t n = kMax;
  if (text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
  return ToUtf8(text.substr(0, n)) + "…";
}
}  // namespace

SearchBar::SearchBar() : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 4) {
  set_name("search-bar");
  keywordBox_.set_name("keyword-box");
  keyword().set_placeholder_text("搜索");
  // 16 characters when there is room, down to 5 in a narrow window (where the navigation
  // buttons and the address need the width more).
  keyword().set_width_chars(5);
  keyword().set_max_width_chars(16);
  keyword().signal_key_press_event().connect(sigc::mem_fun(*this, &SearchBar::OnKeywordKey),
                                             false);
  engineLabel_.set_name("engine-label");
  engineFace_.pack_start(engineIcon_, Gtk::PACK_SHRINK);
  engineFace_.pack_start(engineLabel_, Gtk::PACK_SHRINK);
  engineButton_.set_name("engine-button");
  engineButton_.add(engineFace_);
  engineButton_.set_relief(Gtk::RELIEF_NONE);
  engineButton_.set_tooltip_text("选择搜索引擎");
  searchButton_.set_name("search-button");
  searchButton_.signal_clicked().connect([this] {
    if (actions_.search) actions_.search(int(SearchMode::Web));
  });
  struct PageButton {
    Gtk::Button& button;
    int id;
    const char* icon;
    const char* tip;
  } pageButtons[] = {
      {findButton_, kCmdFindInPage, "edit-find-symbolic", "查找关键字(F6/F7)(Ctrl/Shift+Enter)"},
      {highlightButton_, kCmdHighlightInPage, "edit-select-all-symbolic",
       "高亮关键字(Ctrl+Shift+Enter)"}};
  for (const PageButton& b : pageButtons) {
    b.button.set_name("command-" + std::to_string(b.id));
    // Icons, their words in the tips: the row has little width to spare.
    b.button.set_image_from_icon_name(b.icon, Gtk::ICON_SIZE_SMALL_TOOLBAR);
    b.button.set_relief(Gtk::RELIEF_NONE);
    b.button.set_tooltip_text(b.tip);
    int id = b.id;
    b.button.signal_clicked().connect([this, id] {
      if (actions_.command) actions_.command(id);
    });
  }
  pack_start(engineButton_, Gtk::PACK_SHRINK);
  pack_start(keywordBox_, Gtk::PACK_SHRINK);
  pack_start(searchButton_, Gtk::PACK_SHRINK);
  pack_start(findButton_, Gtk::PACK_SHRINK);
  pack_start(highlightButton_, Gtk::PACK_SHRINK);
}

bool SearchBar::OnKeywordKey(GdkEventKey* e) {
  if (e->keyval != GDK_KEY_Return && e->keyval != GDK_KEY_KP_Enter) return false;
  if (!actions_.search) return true;
  bool ctrl = e->state & GDK_CONTROL_MASK, shift = e->state & GDK_SHIFT_MASK;
  // Enter searches the web; Ctrl or Shift+Enter finds in the page, both highlight.
  SearchMode target = ctrl && shift ? SearchMode::Highlight
                      : (ctrl || shift) ? SearchMode::Find
                                        : SearchMode::Web;
  actions_.search(int(target));
  return true;
}

u16 SearchBar::SearchBoxText() const { return FromUtf8(keyword().get_text().raw()); }

void SearchBar::SetSearchBoxText(u16view text) { keyword().set_text(ToUtf8(text)); }

void SearchBar::SetKeywordList(const std::vector<u16>& keywords) {
  std::string text = keyword().get_text();
  std::vector<std::string> rows;
  for (size_t i = 0; i < keywords.size() && i < kMaxComboRows; ++i)
    rows.push_back(ShownKeyword(keywords[i]));
  FillComboList(keywordBox_, rows);
  keyword().set_text(text);
}

void SearchBar::SetEngineMenu(const EngineMenu& menu) {
  engineMenu_ = std::make_unique<Gtk::Menu>();
  engineIcon_.clear();
  engineLabel_.set_text("搜索引擎");
  std::string current;
  bool currentHasIcon = false;
  for (size_t i = 0; i < menu.items.size(); ++i) {
    const EngineMenuItem& item = menu.items[i];
    auto* row = Gtk::manage(new Gtk::MenuItem());
    auto* box = Gtk::manage(new Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6));
    Glib::RefPtr<Gdk::Pixbuf> icon;
    if (!item.iconPath.empty()) {
      try {
        icon = Gdk::Pixbuf::create_from_file(item.iconPath, 16, 16, true);
      } catch (const Glib::Error&) {
        // An icon that does not load leaves the item without an image.
      }
    }
    if (icon) box->pack_start(*Gtk::manage(new Gtk::Image(icon)), Gtk::PACK_SHRINK);
    box->pack_start(*Gtk::manage(new Gtk::Label(ToUtf8(item.title))), Gtk::PACK_SHRINK);
    row->add(*box);
    int id = item.id;
    row->signal_activate().connect([this, id] {
      if (actions_.command) actions_.command(id);
    });
    engineMenu_->append(*row);
    if (int(i) == menu.currentItem) {
      if (icon) engineIcon_.set(icon);
      engineLabel_.set_text(ToUtf8(item.title));
      current = ToUtf8(item.title);
      currentHasIcon = bool(icon);
    }
  }
  engineMenu_->show_all();
  engineButton_.set_popup(*engineMenu_);
  engineFace_.show_all();
  // An engine with its icon shows only the icon (the row needs the width); its name is in
  // the keyword box and the button's tip.
  if (currentHasIcon) engineLabel_.hide();
  keyword().set_placeholder_text(current.empty() ? "搜索" : current);
  engineButton_.set_tooltip_text(current.empty() ? "选择搜索引擎" : "选择搜索引擎 (" + current + ")");
}

void SearchBar::FocusSearchBox() { keyword().grab_focus(); }

bool SearchBar::SearchBoxHasFocus() const { return keyword().has_focus(); }

}  // namespace zel

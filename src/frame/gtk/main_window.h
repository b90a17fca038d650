// The top-level window: menu bar, the tab strip, the page views and the status bar.
#pragma once

#include <gtkmm.h>

#include <map>

#include "frame/frame_window.h"
#include "frame/menu_model.h"

namespace zel {

class CMainFrame;

class MainWindow : public Gtk::Window,
                   public FrameWindow,
                   public StatusBarView,
                   public AddressBarView,
                   public SearchBarView,
                   public TabStripView,
                   public PageHostView,
                   public PopupBarView {
 public:
  MainWindow();
  ~MainWindow() override;

  void AttachFrame(CMainFrame* frame) { frame_ = frame; }
  // Fills the menu bar and the key table.
  void BuildMenus(const std::vector<MenuItem>& menus, const std::vector<KeyBinding>& keys);
  // Tab entry width limits in pixels.
  void SetTabWidths(int minWidth, int maxWidth);
  // The widget that shows a tab's page (tests reach the page through it).
  GtkWidget* PageWidget(CChildFrame* child) const;
  Gtk::Notebook& strip() { return strip_; }
  // What an entry of the strip shows (for tests and the page-list dialog).
  std::string EntryText(int index) const;
  int EntryCount() const { return const_cast<Gtk::Notebook&>(strip_).get_n_pages(); }

  // FrameWindow
  StatusBarView& statusBar() override { return *this; }
  AddressBarView& addressBar() override { return *this; }
  SearchBarView& searchBar() override { return *this; }
  TabStripView& tabStrip() override { return *this; }
  PageHostView& pageHost() override { return *this; }
  PopupBarView& popupBars() override { return *this; }
  void SetCaption(u16view text) override;
  void SetStatusText(u16view text) override;
  void AddChildView(CChildFrame* child) override;
  void RemoveChildView(CChildFrame* child) override;
  void ShowChildView(CChildFrame* child) override;
  void InsertTabEntry(int index, u16view caption, CChildFrame* child) override;
  void RemoveTabEntry(int index) override;
  void SelectTabEntry(int index) override;
  int SelectedTabEntry() const override;
  void SetTabEntryText(int index, u16view caption) override;
  void SetTabEntryIcon(int index, int icon) override;
  void RefreshCommandStates() override;
  void SetAddressText(u16view text) override;
  void SetAddressList(const std::vector<u16>& entries) override;
  // Enter in the address box as a user presses it (tests): the text and the modifiers.
  void EnterAddress(const std::string& text, GdkModifierType mods);
  void FocusAddressBox() override;
  void SetProgress(int percentage) override;
  void SetSecureIndicator(bool secure) override;
  PagePointer PointerInPage(CChildFrame* child) const override;
  int PageHeight(CChildFrame* child) const override;
  void ShowPopupBar(CChildFrame* child, u16view blockedAddress) override;
  void HidePopupBar(CChildFrame* child) override;
  void Beep() override;
  u16 SearchBoxText() const override;
  void SetSearchBoxText(u16view text) override;
  void SetKeywordList(const std::vector<u16>& keywords) override;
  void SetEngineMenu(const EngineMenu& menu) override;
  void FocusSearchBox() override;
  bool SearchBoxHasFocus() const override;
  void PopupAddressList() override;
  std::optional<OpenChoice> AskOpenAddress(const std::vector<u16>& history) override;
  std::string EngineButtonText() const { return engineLabel_.get_text(); }
  // Enter in the keyword box as a user presses it (tests).
  void EnterSearch(const std::string& text, GdkModifierType mods);
  // The text of a tab's notification bar; empty when the bar is hidden.
  std::string PopupBarText(CChildFrame* child) const;
  std::string AddressText() const { return address_.get_text(); }
  std::string StatusText() const { return statusText_; }
  bool SecureShown() const { return secure_.get_visible(); }
  // The "Standard" bar's button for a command (tests press it like a user).
  Gtk::ToolButton* StandardButton(int id) const;
  bool IsVisible() const override;
  bool IsMinimized() const override { return state_ & GDK_WINDOW_STATE_ICONIFIED; }
  bool IsMaximized() const override { return state_ & GDK_WINDOW_STATE_MAXIMIZED; }
  bool IsFullScreen() const override { return state_ & GDK_WINDOW_STATE_FULLSCREEN; }
  WindowRect GetRect() const override;
  void Restore() override;
  void Minimize() override { iconify(); }
  void PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child = nullptr, int x = 0,
                 int y = 0) override;
  // The item texts of the popup menu on screen (empty when none is shown), for tests.
  std::vector<std::string> ShownPopupMenu() const;
  void Present() override;
  void HideFrame() override;
  void Destroy() override;

 protected:
  bool on_delete_event(GdkEventAny* event) override;
  bool on_window_state_event(GdkEventWindowState* event) override;

 private:
  struct Entry;
  Gtk::MenuItem* MakeItem(const MenuItem& item);
  Entry* EntryAt(int index) const;
  int IndexOfLabel(const Gtk::Widget* label) const;
  bool OnEntryButton(GdkEventButton* e, Gtk::Widget* label);
  void ShowTabMenu(int index, guint32 time);
  bool OnKey(GdkEventKey* e);
  bool OnAddressKey(GdkEventKey* e);
  bool OnKeywordKey(GdkEventKey* e);
  void BuildSearchBar();
  bool fillingAddressList_ = false;
  void BuildStandardBar();

  CMainFrame* frame_ = nullptr;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL};
  Gtk::MenuBar menuBar_;
  Gtk::Box bars_{Gtk::ORIENTATION_HORIZONTAL};
  Gtk::Toolbar standard_;
  Gtk::ComboBoxText addressBox_{true};  // control 711: the edit and the typed list
  Gtk::Entry& address_;
  std::map<int, Gtk::ToolButton*> standardButtons_;
  // The "Search" bar: keyword box 714, the engine button with its menu, the search button.
  Gtk::ComboBoxText keywordBox_{true};
  Gtk::MenuButton engineButton_;
  Gtk::Box engineFace_{Gtk::ORIENTATION_HORIZONTAL, 4};
  Gtk::Image engineIcon_;
  Gtk::Label engineLabel_;
  Gtk::Button searchButton_{"搜索"};
  std::unique_ptr<Gtk::Menu> engineMenu_;
  Gtk::Box statusRow_{Gtk::ORIENTATION_HORIZONTAL};
  Gtk::ProgressBar progress_;
  Gtk::Image secure_;
  Gtk::Notebook strip_;
  Gtk::Stack pages_;
  Gtk::Statusbar status_;
  struct Page;  // a tab's page: its notification bar above the engine's widget
  std::map<CChildFrame*, std::unique_ptr<Page>> pageHosts_;
  std::map<CChildFrame*, GtkWidget*> views_;
  std::map<Gtk::Widget*, std::unique_ptr<Entry>> entries_;  // by page widget of the strip
  std::map<int, Gtk::MenuItem*> commandItems_;
  std::map<std::pair<guint, guint>, int> keys_;
  std::unique_ptr<Gtk::Menu> tabMenu_;
  std::unique_ptr<Gtk::Menu> popupMenu_;
  Gtk::MenuItem* MakePopupItem(const MenuItem& item);
  sigc::connection pendingTabMenu_;
  int minTabWidth_ = 50, maxTabWidth_ = 100;
  GdkWindowState state_ = GdkWindowState(0);
  bool selecting_ = false;   // a selection made by the program, not the user
  bool refreshing_ = false;  // check marks are being set from the frame's state
  bool destroyed_ = false;
  std::string statusText_;
};

// "Ctrl+Shift+PgDn" -> the key value and modifiers; false for a key it does not know.
bool ParseKey(u16view key, guint* keyval, Gdk::ModifierType* mods);

}  // namespace zel

// Where the tabs' pages live: a stack of pages, each the engine's widget under the tab's
// notification bar for a blocked popup, and the popup menus opened over a page.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <map>
#include <memory>

#include "filters/popup_bar_view.h"
#include "frame/page_host_view.h"

namespace zel {

class PageHost : public Gtk::Stack, public PageHostView, public PopupBarView {
 public:
  // What the pages report of the user's choices.
  struct Actions {
    std::function<void(CChildFrame*)> allowSite;  // the notification bar's button
    std::function<bool(int id)> commandEnabled;   // a menu item's state as the menu opens
    std::function<void(int id)> postCommand;      // a menu item chosen: runs after the menu
  };

  PageHost();
  ~PageHost() override;

  void SetActions(Actions actions) { actions_ = std::move(actions); }

  // PageHostView
  void AddChildView(CChildFrame* child) override;
  void RemoveChildView(CChildFrame* child) override;
  void ShowChildView(CChildFrame* child) override;
  void CoverPages(bool covered) override;
  PagePointer PointerInPage(CChildFrame* child) const override;
  int PageHeight(CChildFrame* child) const override;
  void PopupMenu(const std::vector<MenuItem>& items, CChildFrame* child = nullptr, int x = 0,
                 int y = 0) override;

  // PopupBarView
  void ShowPopupBar(CChildFrame* child, u16view text) override;
  void HidePopupBar(CChildFrame* child) override;
  void Beep() override;

 private:
  struct Page;
  GtkWidget* PageWidget(CChildFrame* child) const;
  Gtk::MenuItem* MakePopupItem(const MenuItem& item);

  Actions actions_;
  std::map<CChildFrame*, std::unique_ptr<Page>> pages_;
  std::unique_ptr<Gtk::Menu> popupMenu_;
  Gtk::EventBox cover_;  // the plain panel over the pages
  bool covered_ = false;
  int covers_ = 0;  // CoverPages(true) calls not yet undone
  CChildFrame* shown_ = nullptr;  // the page in front under the cover
};

}  // namespace zel

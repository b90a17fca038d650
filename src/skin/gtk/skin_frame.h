// The skin on the GTK window: its style sheet as a CSS provider of the screen, the custom
// frame (an undecorated window with the skin's own caption: icon, title, minimize,
// maximize/restore and close, dragged by the caption, double click maximizes), the window
// icon, and BMP/ICO decoding through GdkPixbuf.
#pragma once

#include <gtkmm.h>

#include <functional>

#include "skin/skin_view.h"

namespace zel {

class SkinFrame : public SkinView {
 public:
  // The caption goes at the top of layout (the window's outermost box); run runs a frame
  // command (the caption's buttons are commands).
  SkinFrame(Gtk::Window& window, Gtk::Box& layout, std::function<void(int id)> run);
  ~SkinFrame() override;

  void ApplyStyle(const std::string& css) override;
  void SetCustomFrame(bool on) override;
  bool CustomFrame() const override { return custom_; }
  void SetFrameCornerRadius(int radius) override;
  void SetWindowIcon(const SkinImagePtr& icon) override;
  void SetTreeIcons(const SkinImagePtr& page, const SkinImagePtr& folderClosed,
                    const SkinImagePtr& folderOpen) override;
  // Who shows the tree icons (the favorites pane); null pixbufs for the theme's.
  using TreeIconsSink = std::function<void(Glib::RefPtr<Gdk::Pixbuf> page,
                                           Glib::RefPtr<Gdk::Pixbuf> folderClosed,
                                           Glib::RefPtr<Gdk::Pixbuf> folderOpen)>;
  void SetTreeIconsSink(TreeIconsSink sink) { treeIcons_ = std::move(sink); }
  void WindowCommand(int id) override;
  void OpenSkinMenu() override {
    if (openMenu_) openMenu_();
  }
  // How the skin menu is opened (it lives in the window's menu bar).
  void SetMenuOpener(std::function<void()> open) { openMenu_ = std::move(open); }
  std::shared_ptr<SkinImage> DecodeImage(std::string_view bytes) override;

  Gtk::Widget& caption() { return caption_; }

 private:
  void FollowState(GdkWindowState state);
  // The window's shape: rounded corners for the skin's frame, none otherwise.
  void UpdateShape();

  Gtk::Window& window_;
  std::function<void(int)> run_;
  TreeIconsSink treeIcons_;
  int radius_ = 0;
  struct Shape {
    int width = 0, height = 0, radius = 0;
    bool operator==(const Shape&) const = default;
  } shape_;  // what the window was last shaped as
  sigc::connection sizeChanged_;
  std::function<void()> openMenu_;
  Glib::RefPtr<Gtk::CssProvider> css_;
  Gtk::EventBox caption_;
  Gtk::Box row_{Gtk::ORIENTATION_HORIZONTAL, 2};
  Gtk::Image icon_;
  Gtk::Label title_;
  Gtk::Button skins_, minimize_, maximize_, close_;
  bool custom_ = false;
  sigc::connection titleChanged_, stateChanged_;
};

}  // namespace zel

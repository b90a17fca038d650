// The collector's tool window: a toolbar with the pane's commands and one text field that
// shows one of the three stores. Text and images dragged onto it are handed to the
// controller (a page's drag carries the page's address as its source); closing the window
// only hides it.
#pragma once

#include <gtkmm.h>

#include <functional>
#include <optional>
#include <string>

#include "collector/collector_pane_view.h"

namespace zel {

class CollectorPane : public CollectorPaneView {
 public:
  // owner: the main window the pane stays above; run: runs a frame command.
  CollectorPane(Gtk::Window& owner, std::function<void(int)> run);
  ~CollectorPane() override;
  void SetEvents(CollectorPaneEvents* events) { events_ = events; }
  // The window, for tests (null before Create).
  Gtk::Window* window() { return window_.get(); }
  Gtk::TextView* textView() { return &text_; }

  void Create(int x, int y, int width, int height) override;
  bool Created() const override { return window_ != nullptr; }
  void Show() override;
  void Hide() override;
  bool Visible() const override { return window_ && window_->get_visible(); }
  void ShowStore(CollectorStore store) override;
  CollectorStore ShownStore() const override { return shown_; }
  u16 StoreText(CollectorStore store) const override;
  void SetStoreText(CollectorStore store, u16view text) override;
  size_t StoreLength(CollectorStore store) const override;
  void InsertAtCaret(CollectorStore store, u16view text, bool atEnd) override;
  u16 Selection() const override;
  u16 CaretLine(size_t* column) const override;
  void SetAlpha(int alpha) override;

 private:
  Glib::RefPtr<Gtk::TextBuffer> BufferOf(CollectorStore store) const {
    return buffers_[int(store)];
  }
  void BuildToolbar();
  void LimitTyping(Glib::RefPtr<Gtk::TextBuffer> buffer);
  bool OnDragDrop(const Glib::RefPtr<Gdk::DragContext>& context, int x, int y, guint time);
  void OnDragData(const Glib::RefPtr<Gdk::DragContext>& context, int x, int y,
                  const Gtk::SelectionData& data, guint info, guint time);
  void FinishDrop(const Glib::RefPtr<Gdk::DragContext>& context, guint time, bool ok);

  Gtk::Window& owner_;
  std::function<void(int)> run_;
  CollectorPaneEvents* events_ = nullptr;
  std::unique_ptr<Gtk::Window> window_;
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL};
  Gtk::Toolbar toolbar_;
  Gtk::ScrolledWindow scroll_;
  Gtk::TextView text_;
  Glib::RefPtr<Gtk::TextBuffer> buffers_[3];
  CollectorStore shown_ = CollectorStore::Text;
  // A drop under way: what it asked for and what has come.
  struct Drop {
    std::string source;
    std::optional<std::string> address;  // the image's address (uri-list), once it came
    bool wantAddress = false;
    bool image = false;
  };
  std::optional<Drop> drop_;
};

}  // namespace zel

#include "collector/gtk/collector_pane.h"

#include <webkit2/webkit2.h>

#include "base/commands.h"
#include "base/files.h"

namespace zel {

namespace {
struct Tool {
  int id;
  const char* icon;
  const char* tip;
  bool separatorAfter;
};
constexpr Tool kTools[] = {
    {cmd::kCollectorText, "accessories-text-editor-symbolic", "文本收集器", false},
    {cmd::kCollectorOutput, "document-open-recent-symbolic", "输出收集器(图片, 页面, 过滤记录...)",
     false},
    {cmd::kCollectorScript, "utilities-terminal-symbolic", "脚本收集器", true},
    {cmd::kCollectorSave, "document-save-symbolic", "保存", false},
    {cmd::kCollectorClear, "edit-clear-all-symbolic", "清除", true},
    {cmd::kCollectorTransparent, "weather-fog-symbolic", "透明模式", true},
    {cmd::kCollectorRunScript, "media-playback-start-symbolic", "运行所选脚本", false},
    {cmd::kCollectorOpenSelection, "edit-select-all-symbolic", "打开所选字符", false},
    {cmd::kCollectorOpenLine, "go-jump-symbolic", "打开光标所在行的地址(双击光标所在行)", false},
};

// The stores keep "\r\n" line ends; the field shows them as they are (GTK breaks lines at
// either).
std::string SourceOf(const Glib::RefPtr<Gdk::DragContext>& context) {
  GtkWidget* from = gtk_drag_get_source_widget(context->gobj());
  if (!from || !WEBKIT_IS_WEB_VIEW(from)) return "";
  const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(from));
  return uri ? uri : "";
}

bool Offers(const Glib::RefPtr<Gdk::DragContext>& context, const char* target) {
  for (const auto& t : context->list_targets())
    if (t == target) return true;
  return false;
}

bool OffersImage(const Glib::RefPtr<Gdk::DragContext>& context) {
  for (const auto& t : context->list_targets())
    if (t.compare(0, 6, "image/") == 0) return true;
  return false;
}

bool OffersText(const Glib::RefPtr<Gdk::DragContext>& context) {
  for (const char* t : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"})
    if (Offers(context, t)) return true;
  return false;
}

// The encoder gdk-pixbuf has for a file name's extension ("png" when it has none of its own).
const char* EncoderFor(const std::string& name) {
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  for (char& c : ext) c = char(std::tolower((unsigned char)c));
  if (ext == "jpg" || ext == "jpeg") return "jpeg";
  if (ext == "bmp") return "bmp";
  if (ext == "ico") return "ico";
  if (ext == "tif" || ext == "tiff") return "tiff";
  return "png";
}
}  // namespace

CollectorPane::CollectorPane(Gtk::Window& owner, std::function<void(int)> run)
    : owner_(owner), run_(std::move(run)) {
  for (auto& b : buffers_) {
    b = Gtk::TextBuffer::create();
    LimitTyping(b);
  }
}

CollectorPane::~CollectorPane() = default;

void CollectorPane::LimitTyping(Glib::RefPtr<Gtk::TextBuffer> buffer) {
  // Typing or pasting past the limit keeps only what fits.
  Gtk::TextBuffer* raw = buffer.get();
  buffer->signal_insert().connect(
      [raw](const Gtk::TextBuffer::iterator&, const Glib::ustring& text, int) {
        size_t have = size_t(raw->get_char_count());
        if (have <= kStoreLimit) return;
        // Already inserted: the surplus at the insert point goes again.
        Gtk::TextBuffer::iterator end = raw->get_iter_at_mark(raw->get_insert());
        Gtk::TextBuffer::iterator start = end;
        start.backward_chars(int(std::min(have - kStoreLimit, size_t(text.size()))));
        raw->erase(start, end);
      },
      true);
}

void CollectorPane::Create(int x, int y, int width, int height) {
  if (window_) return;
  window_ = std::make_unique<Gtk::Window>();
  window_->set_title("收集器");
  window_->set_name("collector-pane");
  window_->set_transient_for(owner_);
  window_->set_type_hint(Gdk::WINDOW_TYPE_HINT_UTILITY);
  window_->set_default_size(width, height);
  window_->move(x, y);
  BuildToolbar();
  text_.set_name("collector-text");
  text_.set_wrap_mode(Gtk::WRAP_WORD_CHAR);
  text_.set_buffer(buffers_[int(shown_)]);
  scroll_.add(text_);
  scroll_.set_policy(Gtk::POLICY_AUTOMATIC, Gtk::POLICY_AUTOMATIC);
  box_.pack_start(toolbar_, Gtk::PACK_SHRINK);
  box_.pack_start(scroll_, Gtk::PACK_EXPAND_WIDGET);
  window_->add(box_);
  // Drops are the pane's, not the text field's: the field would insert them where they fall.
  gtk_drag_dest_unset(GTK_WIDGET(text_.gobj()));
  GtkTargetList* targets = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_image_targets(targets, 0, FALSE);
  gtk_target_list_add_text_targets(targets, 0);
  gtk_target_list_add_uri_targets(targets, 0);
  gtk_drag_dest_set(GTK_WIDGET(window_->gobj()),
                    GtkDestDefaults(GTK_DEST_DEFAULT_MOTION | GTK_DEST_DEFAULT_HIGHLIGHT), nullptr,
                    0, GdkDragAction(GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK));
  gtk_drag_dest_set_target_list(GTK_WIDGET(window_->gobj()), targets);
  gtk_target_list_unref(targets);
  window_->signal_drag_drop().connect(sigc::mem_fun(*this, &CollectorPane::OnDragDrop), false);
  window_->signal_drag_data_received().connect(sigc::mem_fun(*this, &CollectorPane::OnDragData));
  window_->signal_delete_event().connect([this](GdkEventAny*) {
    window_->hide();
    if (events_) events_->OnPaneClosed();
    return true;
  });
  // A double click opens the address on the caret's line, once the click has moved it.
  text_.signal_button_press_event().connect(
      [this](GdkEventButton* e) {
        if (e->type == GDK_2BUTTON_PRESS && e->button == 1)
          Glib::signal_idle().connect_once([this] { run_(cmd::kCollectorOpenLine); });
        return false;
      },
      false);
  box_.show_all();
}

void CollectorPane::BuildToolbar() {
  toolbar_.set_toolbar_style(Gtk::TOOLBAR_ICONS);
  toolbar_.set_icon_size(Gtk::ICON_SIZE_SMALL_TOOLBAR);
  for (const Tool& t : kTools) {
    auto* button = Gtk::make_managed<Gtk::ToolButton>();
    button->set_icon_name(t.icon);
    button->set_tooltip_text(t.tip);
    button->set_name("collector-" + std::to_string(t.id));
    int id = t.id;
    button->signal_clicked().connect([this, id] { run_(id); });
    toolbar_.append(*button);
    if (t.separatorAfter) toolbar_.append(*Gtk::make_managed<Gtk::SeparatorToolItem>());
  }
}

void CollectorPane::Show() {
  if (!window_) return;
  window_->show();
  window_->present();
}

void CollectorPane::Hide() {
  if (window_) window_->hide();
}

void CollectorPane::ShowStore(CollectorStore store) {
  shown_ = store;
  text_.set_buffer(BufferOf(store));
}

u16 CollectorPane::StoreText(CollectorStore store) const {
  return FromUtf8(BufferOf(store)->get_text(true).raw());
}

void CollectorPane::SetStoreText(CollectorStore store, u16view text) {
  u16 t(text.substr(0, kStoreLimit));
  BufferOf(store)->set_text(ToUtf8(t));
}

size_t CollectorPane::StoreLength(CollectorStore store) const {
  return size_t(BufferOf(store)->get_char_count());
}

void CollectorPane::InsertAtCaret(CollectorStore store, u16view text, bool atEnd) {
  auto buffer = BufferOf(store);
  auto at = atEnd ? buffer->end() : buffer->begin();
  buffer->place_cursor(at);
  at = buffer->insert(at, ToUtf8(text));
  if (text_.get_buffer() == buffer) text_.scroll_to(buffer->get_insert());
}

u16 CollectorPane::Selection() const {
  auto buffer = BufferOf(shown_);
  Gtk::TextBuffer::iterator a, b;
  if (!buffer->get_selection_bounds(a, b)) return u16();
  return FromUtf8(buffer->get_text(a, b, true).raw());
}

u16 CollectorPane::CaretLine(size_t* column) const {
  auto buffer = BufferOf(shown_);
  Gtk::TextBuffer::iterator caret = buffer->get_iter_at_mark(buffer->get_insert());
  Gtk::TextBuffer::iterator start = caret, end = caret;
  start.set_line_offset(0);
  if (!end.ends_line()) end.forward_to_line_end();
  u16 before = FromUtf8(buffer->get_text(start, caret, true).raw());
  if (column) *column = before.size();
  return FromUtf8(buffer->get_text(start, end, true).raw());
}

void CollectorPane::SetAlpha(int alpha) {
  // Without a compositor the window simply stays opaque.
  if (window_) window_->set_opacity(std::clamp(alpha, 0, 255) / 255.0);
}

bool CollectorPane::OnDragDrop(const Glib::RefPtr<Gdk::DragContext>& context, int, int,
                               guint time) {
  Drop d;
  d.source = SourceOf(context);
  if (OffersImage(context)) {
    d.image = true;
    d.wantAddress = Offers(context, "text/uri-list");
    drop_ = d;
    if (d.wantAddress) {
      window_->drag_get_data(context, "text/uri-list", time);
    } else {
      window_->drag_get_data(context, window_->drag_dest_find_target(context), time);
    }
    return true;
  }
  drop_ = d;
  if (OffersText(context) || Offers(context, "text/uri-list")) {
    window_->drag_get_data(context, window_->drag_dest_find_target(context), time);
    return true;
  }
  drop_.reset();
  if (events_) events_->OnOtherDropped();
  context->drag_finish(false, false, time);
  return true;
}

void CollectorPane::FinishDrop(const Glib::RefPtr<Gdk::DragContext>& context, guint time,
                               bool ok) {
  drop_.reset();
  context->drag_finish(ok, false, time);
}

void CollectorPane::OnDragData(const Glib::RefPtr<Gdk::DragContext>& context, int, int,
                               const Gtk::SelectionData& data, guint, guint time) {
  if (!drop_ || !events_) {
    FinishDrop(context, time, false);
    return;
  }
  Drop& d = *drop_;
  if (d.image && d.wantAddress && !d.address) {
    // First the image's address, then the image.
    auto uris = data.get_uris();
    d.address = uris.empty() ? std::string() : std::string(uris[0]);
    std::string imageTarget;
    for (const auto& t : context->list_targets())
      if (t.compare(0, 6, "image/") == 0) {
        imageTarget = t;
        if (t == "image/png") break;
      }
    window_->drag_get_data(context, imageTarget, time);
    return;
  }
  if (d.image) {
    GdkPixbuf* pixbuf = gtk_selection_data_get_pixbuf(data.gobj());
    if (!pixbuf) {
      events_->OnOtherDropped();
      FinishDrop(context, time, false);
      return;
    }
    std::string address = d.address.value_or("");
    std::string name = BaseName(address);
    gchar* buffer = nullptr;
    gsize size = 0;
    bool ok = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, EncoderFor(name), nullptr, nullptr);
    g_object_unref(pixbuf);
    if (ok) {
      std::string bytes(buffer, size);
      events_->OnImageDropped(FromUtf8(address), bytes, FromUtf8(d.source));
    } else {
      events_->OnOtherDropped();
    }
    g_free(buffer);
    FinishDrop(context, time, ok);
    return;
  }
  // Text, or a file from elsewhere.
  std::string text = data.get_text();
  if (text.empty()) {
    auto uris = data.get_uris();
    if (!uris.empty()) {
      gchar* path = g_filename_from_uri(uris[0].c_str(), nullptr, nullptr);
      if (path) {
        auto bytes = ReadFileBytes(path);
        if (bytes) events_->OnImageDropped(FromUtf8(path), *bytes, u"");
        g_free(path);
        FinishDrop(context, time, bytes.has_value());
        return;
      }
      text = uris[0];
    }
  }
  if (text.empty()) {
    events_->OnOtherDropped();
    FinishDrop(context, time, false);
    return;
  }
  events_->OnTextDropped(FromUtf8(d.source), FromUtf8(text));
  FinishDrop(context, time, true);
}

}  // namespace zel

#include "options/gtk/options_pages.h"

#include <string>

namespace zel {

namespace {
void SetUpPage(Gtk::Box& page) {
  page.set_orientation(Gtk::ORIENTATION_VERTICAL);
  page.set_spacing(10);
  page.set_border_width(10);
}

void Frame(Gtk::Frame& frame, Gtk::Box& box) {
  box.set_border_width(8);
  frame.add(box);
}

// The clear-on-exit boxes in their order on the page, with their values.
struct ClearBox {
  const char* text;
  const char* name;
  bool ClearOptions::*flag;
};
constexpr ClearBox kClearBoxes[] = {
    {"Cookies", "clear-cookies", &ClearOptions::cookies},
    {"网页访问的历史记录", "clear-history", &ClearOptions::history},
    {"Internet临时文件", "clear-cache", &ClearOptions::cache},
    {"记录的表单数据", "clear-form", &ClearOptions::form},
    {"地址栏列表", "clear-address", &ClearOptions::address},
    {"搜索栏列表", "clear-search", &ClearOptions::search},
    {"撤销关闭列表的记录", "clear-undo", &ClearOptions::undo},
};
}  // namespace

template <size_t N>
RadioGroup<N>::RadioGroup(const std::array<const char*, N>& texts, const char* name) {
  for (size_t i = 0; i < N; ++i) {
    buttons_[i].set_label(texts[i]);
    buttons_[i].set_name(std::string(name) + "-" + std::to_string(i));
    if (i) buttons_[i].join_group(buttons_[0]);
  }
}

template <size_t N>
void RadioGroup<N>::Pack(Gtk::Box& into) {
  for (auto& b : buttons_) into.pack_start(b, Gtk::PACK_SHRINK);
}

template <size_t N>
void RadioGroup<N>::Set(int value) {
  if (value >= 0 && value < int(N)) buttons_[value].set_active(true);
}

template <size_t N>
int RadioGroup<N>::Get() const {
  for (size_t i = 0; i < N; ++i)
    if (buttons_[i].get_active()) return int(i);
  return 0;
}

CStartProp::CStartProp(OptionsDialogEvents& events)
    : CSAPrefsSubDlg(OptionsPageId::General),
      events_(events),
      mode_({"空白页面", "主页", "打开上次关闭时浏览的页面"}, "start-mode") {
  SetUpPage(*this);
  mode_.Pack(modeBox_);
  Frame(modeFrame_, modeBox_);
  pack_start(modeFrame_, Gtk::PACK_SHRINK);

  auto* homeRow = Gtk::make_managed<Gtk::Box>(Gtk::ORIENTATION_HORIZONTAL, 6);
  home_.set_name("home-page");
  home_.set_hexpand(true);
  homeRow->pack_start(homeLabel_, Gtk::PACK_SHRINK);
  homeRow->pack_start(home_);
  pack_start(*homeRow, Gtk::PACK_SHRINK);

  auto* buttons = Gtk::make_managed<Gtk::ButtonBox>(Gtk::ORIENTATION_HORIZONTAL);
  buttons->set_layout(Gtk::BUTTONBOX_END);
  buttons->set_spacing(6);
  useCurrent_.set_name("use-current");
  useDefault_.set_name("use-default");
  useBlank_.set_name("use-blank");
  for (Gtk::Button* b : {&useCurrent_, &useDefault_, &useBlank_}) buttons->pack_start(*b);
  pack_start(*buttons, Gtk::PACK_SHRINK);
  useCurrent_.signal_clicked().connect([this] {
    u16 address = events_.ActivePageAddress();
    EditControls([&](OptionsValues& v) { UseCurrentHomePage(v.start, address); });
  });
  auto blank = [this] { EditControls([](OptionsValues& v) { UseBlankHomePage(v.start); }); };
  useDefault_.signal_clicked().connect(blank);
  useBlank_.signal_clicked().connect(blank);

  checkDefault_.set_name("check-default");
  pack_start(checkDefault_, Gtk::PACK_SHRINK);
  makeDefault_.set_name("make-default");
  makeDefault_.set_halign(Gtk::ALIGN_START);
  pack_start(makeDefault_, Gtk::PACK_SHRINK);
  makeDefault_.signal_clicked().connect([this] { events_.MakeDefaultBrowser(); });
}

void CStartProp::ShowValues(const OptionsValues& values) {
  mode_.Set(values.start.startMode);
  home_.set_text(ToUtf8(values.start.homePage));
  checkDefault_.set_active(values.start.checkDefault);
}

void CStartProp::ReadControls(OptionsValues& values) {
  values.start.startMode = mode_.Get();
  values.start.homePage = FromUtf8(home_.get_text().raw());
  values.start.checkDefault = checkDefault_.get_active();
}

void CStartProp::FocusFailure() { home_.grab_focus(); }

CTabProp::CTabProp()
    : CSAPrefsSubDlg(OptionsPageId::Tabs),
      sequence_({"在当前标签页的左侧", "在当前标签页的右侧", "在所有标签页的最右侧"},
                "new-sequence"),
      close_({"跳转到原标签页左边的标签页", "跳转到原标签页右边的标签页"}, "close-active"),
      active_({"在后台打开", "在前台打开"}, "new-tab-front") {
  SetUpPage(*this);
  sequence_.Pack(sequenceBox_);
  close_.Pack(closeBox_);
  active_.Pack(activeBox_);
  Frame(sequenceFrame_, sequenceBox_);
  Frame(closeFrame_, closeBox_);
  Frame(activeFrame_, activeBox_);
  for (Gtk::Frame* f : {&sequenceFrame_, &closeFrame_, &activeFrame_})
    pack_start(*f, Gtk::PACK_SHRINK);
  newTabAddress_.set_name("new-tab-address");
  pack_start(newTabAddress_, Gtk::PACK_SHRINK);
}

void CTabProp::ShowValues(const OptionsValues& values) {
  sequence_.Set(values.tabs.newSequence);
  close_.Set(values.tabs.closeActiveSeq);
  active_.Set(values.tabs.foreground ? 1 : 0);
  newTabAddress_.set_active(values.tabs.newTabAddress);
}

void CTabProp::ReadControls(OptionsValues& values) {
  values.tabs.newSequence = sequence_.Get();
  values.tabs.closeActiveSeq = close_.Get();
  values.tabs.foreground = active_.Get() == 1;
  values.tabs.newTabAddress = newTabAddress_.get_active();
}

CSafeProp::CSafeProp() : CSAPrefsSubDlg(OptionsPageId::Privacy) {
  SetUpPage(*this);
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i].set_label(kClearBoxes[i].text);
    boxes_[i].set_name(kClearBoxes[i].name);
    box_.pack_start(boxes_[i], Gtk::PACK_SHRINK);
  }
  Frame(frame_, box_);
  pack_start(frame_, Gtk::PACK_SHRINK);
}

void CSafeProp::ShowValues(const OptionsValues& values) {
  for (size_t i = 0; i < boxes_.size(); ++i)
    boxes_[i].set_active(values.clear.*kClearBoxes[i].flag);
}

void CSafeProp::ReadControls(OptionsValues& values) {
  for (size_t i = 0; i < boxes_.size(); ++i)
    values.clear.*kClearBoxes[i].flag = boxes_[i].get_active();
}

}  // namespace zel

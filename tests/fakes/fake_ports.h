// Fakes of the frame's ports: a window that records what the frame shows, prompts that
// answer from a script, and a message loop run by hand with a virtual clock.
#pragma once

#include <deque>
#include <mutex>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "downloads/download_port.h"
#include "frame/frame_window.h"
#include "platform/clipboard_port.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/prompt_port.h"

namespace zel::test {

class FakeWindow : public FrameWindow,
                   public StatusBarView,
                   public AddressBarView,
                   public SearchBarView,
                   public TabStripView,
                   public PageHostView,
                   public PopupBarView,
                   public WindowModesView {
 public:
  StatusBarView& statusBar() override { return *this; }
  AddressBarView& addressBar() override { return *this; }
  SearchBarView& searchBar() override { return *this; }
  TabStripView& tabStrip() override { return *this; }
  PageHostView& pageHost() override { return *this; }
  PopupBarView& popupBars() override { return *this; }
  struct Entry {
    u16 caption;
    CChildFrame* child;
    int icon = -1;
  };
  void SetCaption(u16view t) override { caption = u16(t); }
  void SetStatusText(u16view t) override { status = u16(t); }
  void AddChildView(CChildFrame* c) override { hosted.push_back(c); }
  void RemoveChildView(CChildFrame* c) override;
  void ShowChildView(CChildFrame* c) override { shownView = c; }
  void CoverPages(bool c) override { covers += c ? 1 : -1; }
  void InsertTabEntry(int index, u16view caption, CChildFrame* child) override;
  void RemoveTabEntry(int index) override;
  void SelectTabEntry(int index) override { selected = index; }
  int SelectedTabEntry() const override { return selected; }
  void SetTabEntryText(int index, u16view c) override { entries.at(index).caption = u16(c); }
  void SetTabEntryIcon(int index, int icon) override { entries.at(index).icon = icon; }
  void RefreshCommandStates() override { ++commandRefreshes; }
  void SetAddressText(u16view t) override { address = u16(t); }
  void SetAddressIcon(int i) override { addressIcon = i; }
  void SetAddressList(const std::vector<u16>& l) override { addressList = l; }
  void FocusAddressBox() override { ++addressFocus; }
  void SetProgress(int p) override { progress = p; }
  void SetSecureIndicator(bool s) override { secure = s; }
  void SetIndicatorText(u16view t) override {
    indicator = u16(t);
    ++indicatorSets;
  }
  void SetMemoryPaneText(u16view t) override {
    memoryPane = u16(t);
    ++memoryPaneSets;
  }
  PagePointer PointerInPage(CChildFrame*) const override { return pointer; }
  int PageHeight(CChildFrame*) const override { return pageHeight; }
  void ShowPopupBar(CChildFrame* c, u16view url) override { shownPopupBars[c] = u16(url); }
  void HidePopupBar(CChildFrame* c) override { shownPopupBars.erase(c); }
  void Beep() override { ++beeps; }
  u16 SearchBoxText() const override { return searchBox; }
  void SetSearchBoxText(u16view t) override { searchBox = u16(t); }
  void SetKeywordList(const std::vector<u16>& k) override { keywords = k; }
  void SetEngineMenu(const EngineMenu& m) override { engineMenu = m; }
  void FocusSearchBox() override { ++searchFocus; }
  bool SearchBoxHasFocus() const override { return searchBoxFocused; }
  void PopupAddressList() override { ++addressPopups; }
  std::optional<OpenChoice> AskOpenAddress(const std::vector<u16>& history) override {
    openHistory = history;
    return openAnswer;
  }
  bool IsVisible() const override { return visible; }
  bool IsMinimized() const override { return minimized; }
  bool IsActive() const override { return active; }
  void SetClosedPages(const std::vector<ClosedMenuEntry>& items) override { closedMenu = items; }
  bool IsMaximized() const override { return maximized; }
  bool IsFullScreen() const override { return fullScreen; }
  WindowRect GetRect() const override { return rect; }
  void Restore() override {
    minimized = false;
    visible = true;
    ++restores;
  }
  void Minimize() override {
    minimized = true;
    ++minimizes;
  }
  void PopupMenu(const std::vector<MenuItem>& items, CChildFrame*, int, int) override {
    menus.push_back(items);
  }
  void Present() override { ++presents; }
  void HideFrame() override { visible = false; }
  void Destroy() override { destroyed = true; }
  WindowModesView* modes() override { return this; }
  // WindowModesView
  void ShowBar(FrameBar bar, bool shown) override { barsShown[bar] = shown; }
  bool BarShown(FrameBar bar) const override {
    auto it = barsShown.find(bar);
    return it == barsShown.end() || it->second;
  }
  void SetBarsLocked(bool locked) override { barsLocked = locked; }
  void SetTabBarAtBottom(bool bottom) override { tabsAtBottom = bottom; }
  void SetSmallTabs(bool small) override { smallTabs = small; }
  void SetToolbarOrder(const std::vector<u16>& names) override { toolbarOrder = names; }
  void SetFullScreen(bool on) override { fullScreen = on; }
  bool FullScreen() const override { return fullScreen; }
  void SetAutoHide(bool on) override { autoHidden = on; }
  bool FrameShown() const override { return visible && !minimized; }
  bool FrameMinimized() const override { return visible && minimized; }
  void MinimizeFrame() override { minimized = true; }
  void ShowFrame() override {
    visible = true;
    minimized = false;
    ++presents;
  }
  void MinimizeAndHideFrame() override {
    visible = false;
    minimized = true;
  }

  std::vector<u16> Captions() const;

  u16 caption, status, address;
  int addressIcon = 0;
  std::vector<u16> addressList;
  int addressFocus = 0, progress = -10, pageHeight = 400;
  bool secure = false;
  u16 indicator;
  int indicatorSets = 0;
  u16 memoryPane;
  int memoryPaneSets = 0;
  PagePointer pointer;
  std::map<CChildFrame*, u16> shownPopupBars;
  int beeps = 0;
  u16 searchBox;
  std::vector<u16> keywords;
  EngineMenu engineMenu;
  int searchFocus = 0, addressPopups = 0;
  bool searchBoxFocused = false;
  std::vector<u16> openHistory;
  std::optional<OpenChoice> openAnswer;
  std::vector<CChildFrame*> hosted;
  CChildFrame* shownView = nullptr;
  std::vector<Entry> entries;
  int selected = -1;
  int commandRefreshes = 0, restores = 0, presents = 0, minimizes = 0;
  std::vector<std::vector<MenuItem>> menus;  // popup menus shown, in order
  bool visible = true, minimized = false, maximized = false, fullScreen = false;
  bool active = true;
  std::vector<ClosedMenuEntry> closedMenu;
  bool destroyed = false;
  std::map<FrameBar, bool> barsShown;
  int covers = 0;  // CoverPages(true) calls not yet undone
  bool barsLocked = false, tabsAtBottom = false, autoHidden = false, smallTabs = false;
  std::vector<u16> toolbarOrder;
  WindowRect rect{10, 20, 640, 480};
};

class FakePrompts : public PromptPort {
 public:
  void Message(u16view text, u16view caption, PromptIcon) override { messages.push_back(u16(text)); }
  bool AskYesNo(u16view text, u16view, PromptIcon, AnswerLabels labels) override {
    questions.push_back(u16(text));
    answerLabels.push_back(labels);
    bool a = yesAnswers.empty() ? defaultYes : yesAnswers.front();
    if (!yesAnswers.empty()) yesAnswers.pop_front();
    return a;
  }
  std::optional<u16> AskText(u16view prompt, u16view, u16view initial, bool) override {
    prompts.push_back(u16(prompt));
    if (onAskText) onAskText();
    initials.push_back(u16(initial));
    if (textAnswers.empty()) return std::nullopt;
    auto a = textAnswers.front();
    textAnswers.pop_front();
    return a;
  }
  std::optional<u16> AskLongText(u16view prompt, u16view caption, u16view initial) override {
    longTextCaptions.push_back(u16(caption));
    return AskText(prompt, caption, initial, false);
  }
  std::optional<u16> AskSaveFile(u16view name, u16view ext, u16view filter) override {
    saveNames.push_back(u16(name));
    saveFilters.push_back(u16(filter) + u"|" + u16(ext));
    return saveAnswer;
  }
  std::vector<u16> messages, questions, prompts, saveNames, saveFilters;
  std::vector<u16> initials;          // the text each input box started with
  std::vector<u16> longTextCaptions;  // the titles of the multi-line input boxes
  std::vector<AnswerLabels> answerLabels;
  std::optional<u16> saveAnswer;
  std::deque<bool> yesAnswers;
  bool defaultYes = true;
  std::deque<std::optional<u16>> textAnswers;
  std::function<void()> onAskText;  // called while a text question is open
};

// Where downloads go, answered from a script: each answer in turn (nullopt: the user
// cancels); without one the question stays open in pending until a test answers it.
class FakeDestinations : public DestinationPort {
 public:
  void ChooseDestination(u16view folder, u16view name,
                         std::function<void(std::optional<u16>)> done) override {
    asked.push_back({u16(folder), u16(name)});
    if (answers.empty()) {
      pending.push_back(std::move(done));
      return;
    }
    auto a = answers.front();
    answers.pop_front();
    done(a);
  }
  std::deque<std::optional<u16>> answers;
  std::vector<std::pair<u16, u16>> asked;  // folder, proposed name
  std::vector<std::function<void(std::optional<u16>)>> pending;
};

class FakeKeys : public KeyState {
 public:
  bool Ctrl() const override { return ctrl; }
  bool Shift() const override { return shift; }
  bool Alt() const override { return alt; }
  bool ctrl = false, shift = false, alt = false;
};

class FakeClipboard : public ClipboardPort {
 public:
  void RequestText(std::function<void(std::optional<u16>)> done) override { done(text); }
  void SetText(u16view t) override { text = u16(t); }
  std::optional<u16> text;
};

class FakeLoop : public MessageLoop {
 public:
  // From any thread, as the real loop's.
  void Post(std::function<void()> fn) override {
    std::lock_guard<std::mutex> l(postMutex);
    posted.push_back(std::move(fn));
  }
  void SetTimer(const void* owner, int id, int ms, std::function<void()> fn) override {
    timers[{owner, id}] = {ms, now + ms, std::move(fn)};
  }
  void KillTimer(const void* owner, int id) override { timers.erase({owner, id}); }
  bool HasTimer(const void* owner, int id) const override { return timers.count({owner, id}); }
  int64_t NowMs() const override { return now; }

  // Runs posted work until none is left (work posted meanwhile runs too).
  void RunPosted();
  // Moves the clock and fires the timers that fall due, in order.
  void Advance(int64_t ms);

  struct Timer {
    int ms;
    int64_t due;
    std::function<void()> fn;
  };
  std::deque<std::function<void()>> posted;
  std::mutex postMutex;
  std::map<std::pair<const void*, int>, Timer> timers;
  int64_t now = 0;
};

}  // namespace zel::test

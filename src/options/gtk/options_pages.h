// The three pages of the options dialog: "常规 " (CStartProp), "标签页 " (CTabProp) and
// "隐私安全" (CSafeProp), each a box of controls over its part of the values.
#pragma once

#include <gtkmm.h>

#include <array>

#include "options/options_dialog_view.h"
#include "options/prefs_sheet.h"

namespace zel {

// A group of radio buttons for the values 0, 1, ... in the order of their texts.
template <size_t N>
class RadioGroup {
 public:
  RadioGroup(const std::array<const char*, N>& texts, const char* name);
  void Pack(Gtk::Box& into);
  void Set(int value);
  int Get() const;

 private:
  std::array<Gtk::RadioButton, N> buttons_;
};

class CStartProp : public Gtk::Box, public CSAPrefsSubDlg {
 public:
  explicit CStartProp(OptionsDialogEvents& events);

 protected:
  void ShowValues(const OptionsValues& values) override;
  void ReadControls(OptionsValues& values) override;
  void FocusFailure() override;

 private:
  OptionsDialogEvents& events_;
  Gtk::Frame modeFrame_{"启动模式"};
  Gtk::Box modeBox_{Gtk::ORIENTATION_VERTICAL, 4};
  RadioGroup<3> mode_;
  Gtk::Label homeLabel_{"主页:"};
  Gtk::Entry home_;
  Gtk::Button useCurrent_{"使用当前页"}, useDefault_{"使用默认页"}, useBlank_{"使用空白页"};
  Gtk::CheckButton checkDefault_{"打开浏览器时自动检查默认浏览器设置"};
  Gtk::Button makeDefault_{"设置Zel浏览器为默认"};
};

class CTabProp : public Gtk::Box, public CSAPrefsSubDlg {
 public:
  CTabProp();

 protected:
  void ShowValues(const OptionsValues& values) override;
  void ReadControls(OptionsValues& values) override;

 private:
  Gtk::Frame sequenceFrame_{"新建标签位置:"}, closeFrame_{"关闭标签页后:"},
      activeFrame_{"新建标签页:"};
  Gtk::Box sequenceBox_{Gtk::ORIENTATION_VERTICAL, 4}, closeBox_{Gtk::ORIENTATION_VERTICAL, 4},
      activeBox_{Gtk::ORIENTATION_VERTICAL, 4};
  RadioGroup<3> sequence_;
  RadioGroup<2> close_;
  RadioGroup<2> active_;  // 0 background, 1 foreground
  Gtk::CheckButton newTabAddress_{"通过地址栏访问网页时总是打开新标签页"};
};

class CSafeProp : public Gtk::Box, public CSAPrefsSubDlg {
 public:
  CSafeProp();

 protected:
  void ShowValues(const OptionsValues& values) override;
  void ReadControls(OptionsValues& values) override;

 private:
  Gtk::Frame frame_{"选择每次关闭浏览器时要清除的记录"};
  Gtk::Box box_{Gtk::ORIENTATION_VERTICAL, 4};
  std::array<Gtk::CheckButton, 7> boxes_;
};

}  // namespace zel

// The options dialog without its widgets: the page base CSAPrefsSubDlg (a page moves the
// values between its controls and the shared values, and restores its defaults) and the
// container's rules in OptionsSheet (one page shown at a time, a page is left only when its
// controls could be read, "恢复本页默认" on the shown page, "确认" reads the shown page).
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "options/options_values.h"

namespace zel {

class CSAPrefsSubDlg {
 public:
  explicit CSAPrefsSubDlg(OptionsPageId id) : id_(id) {}
  virtual ~CSAPrefsSubDlg() = default;
  OptionsPageId id() const { return id_; }

  // save false: the values into the controls. save true: the controls into the values;
  // false when what they hold cannot be kept (failure() says why, the values stay as they
  // were). The page must be attached to its sheet.
  bool Exchange(bool save);
  // The page's defaults into the values and into its controls.
  void RestoreDefaults();
  const u16& failure() const { return failure_; }

 protected:
  // A button of the page changes what its controls show (the controls as they are, then
  // the change); the values follow when the page is next read.
  void EditControls(const std::function<void(OptionsValues&)>& change);
  // The page's controls show these values.
  virtual void ShowValues(const OptionsValues& values) = 0;
  // The page's part of the values from its controls.
  virtual void ReadControls(OptionsValues& values) = 0;
  // Gives focus to the control that holds what cannot be kept.
  virtual void FocusFailure() {}

 private:
  friend class OptionsSheet;
  OptionsPageId id_;
  OptionsValues* values_ = nullptr;
  u16 failure_;
};

class OptionsSheet {
 public:
  explicit OptionsSheet(const OptionsValues& initial) : values_(initial) {}
  OptionsSheet(const OptionsSheet&) = delete;
  OptionsSheet& operator=(const OptionsSheet&) = delete;

  const OptionsValues& values() const { return values_; }
  // Pages in tree order, each filled from the values; the first one added is shown.
  void AddPage(CSAPrefsSubDlg& page);
  CSAPrefsSubDlg* shown() const { return shown_; }
  CSAPrefsSubDlg* page(OptionsPageId id) const;
  // Another page chosen in the tree: the page being left reads its controls first; when it
  // cannot, it stays shown with the focus on what failed, and the result is false.
  bool Show(OptionsPageId id);
  // "恢复本页默认".
  void RestoreShownDefaults();
  // "确认": the shown page reads its controls; the values to keep, or nullopt when the
  // page could not be read (the dialog stays open).
  std::optional<OptionsValues> Confirm();

 private:
  OptionsValues values_;
  std::vector<CSAPrefsSubDlg*> pages_;
  CSAPrefsSubDlg* shown_ = nullptr;
};

}  // namespace zel

// The form-data manager's state and actions ("设置表单数据"): the saved pages and the
// items of the chosen one as the file lists them, sorting, editing, deleting, the two
// passwords and the two check boxes. The dialog shows it and calls it; every action reads
// the file again and writes it at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "formfill/form_data_file.h"

namespace zel {

inline constexpr char16_t kManagerCaption[] = u"设置表单数据";              // 301
inline constexpr char16_t kAddressColumn[] = u"地址";                       // 1326
inline constexpr char16_t kNameColumn[] = u"名称";                          // 1325
inline constexpr char16_t kDataColumn[] = u"数据";                          // 1277
inline constexpr char16_t kEditItemLabel[] = u"Input Form Item Data:";      // 1278
inline constexpr char16_t kDeleteAllQuestion[] = u"您真的要删除所有已保存的表单数据?";  // 1280
inline constexpr char16_t kEditButton[] = u"编辑数据(&E)";                  // 568
inline constexpr char16_t kDeleteButton[] = u"删除表单(&D)";                // 569
inline constexpr char16_t kDeleteAllButton[] = u"删除所有表单(&A)";         // 570
inline constexpr char16_t kMasterButton[] = u"设置密码(&M)...";             // 571
inline constexpr char16_t kFillPasswordButton[] = u"填表密码(&P)...";       // 572
inline constexpr char16_t kAutoSubmitCheck[] = u"自动提交表单(&S)";         // 524
inline constexpr char16_t kEncryptCheck[] = u"保存表单是加密所有表单数据";  // 536

// A list's sort: a click on a column sorts by it, a second click on it reverses.
struct ListSort {
  int column = -1;
  bool descending = false;
  void Click(int c) {
    descending = c == column && !descending;
    column = c;
  }
};

class FormManager {
 public:
  struct Hooks {
    std::function<void()> deleteAll;                    // posts the delete-file command
    std::function<void(const u16& encoded)> setMaster;  // a password typed for 571, encoded
  };
  FormManager(std::string path, bool encrypt, Hooks hooks);

  // The section names in the order shown.
  std::vector<u16> SectionNames() const;
  const std::vector<ListedItem>& items() const { return items_; }
  int selected() const { return selected_; }
  bool autoSubmit() const { return autoSubmit_; }
  bool encrypt = false;  // check box 536

  // Chooses a section (-1: none) and lists its items and its auto-submit flag.
  void Select(int row);
  // 568: the value written as typed; false when the file could not be written.
  bool EditItem(int row, u16view text);
  // 569: the selection moves to the row now at the same place, or to the last.
  bool DeleteSection();
  // 570, after its question was answered Yes.
  void DeleteAll();
  // 571 and 572 with the typed password.
  void SetMasterPassword(u16view typed);
  bool SetFillPassword(u16view typed);
  // 524.
  bool SetAutoSubmit(bool on);
  // Column header clicks: sections (column 0), items (0 name, 1 data).
  void SortSections(int column);
  void SortItems(int column);

 private:
  bool Change(const std::function<void(IniDocument&)>& edit);
  void ApplyItemSort();

  std::string path_;
  Hooks hooks_;
  std::vector<u16> sections_;
  std::vector<ListedItem> items_;
  int selected_ = -1;
  bool autoSubmit_ = false;
  ListSort sectionSort_, itemSort_;
};

}  // namespace zel

#include "formfill/form_manager.h"

#include <algorithm>

#include "formfill/form_codec.h"
#include "formfill/form_rules.h"

namespace zel {

namespace {
template <typename T, typename Key>
void SortRows(std::vector<T>& rows, const ListSort& sort, Key key) {
  if (sort.column < 0) return;
  std::stable_sort(rows.begin(), rows.end(), [&](const T& a, const T& b) {
    u16 x = ToLower(key(a)), y = ToLower(key(b));
    return sort.descending ? y < x : x < y;
  });
}
}  // namespace

FormManager::FormManager(std::string path, bool encryptOn, Hooks hooks)
    : encrypt(encryptOn), path_(std::move(path)), hooks_(std::move(hooks)) {
  FormDataFile f(path_);
  f.Load();
  for (const ListedSection& s : ListSections(f.Text())) sections_.push_back(s.name);
}

std::vector<u16> FormManager::SectionNames() const { return sections_; }

void FormManager::Select(int row) {
  items_.clear();
  autoSubmit_ = false;
  selected_ = row >= 0 && row < int(sections_.size()) ? row : -1;
  if (selected_ < 0) return;
  FormDataFile f(path_);
  f.Load();
  u16 text = f.Text();
  for (const ListedSection& s : ListSections(text)) {
    if (s.name != sections_[size_t(selected_)]) continue;
    items_ = ListItems(text, s);
    break;
  }
  u16 flag = f.doc().Get(sections_[size_t(selected_)], kAutoSubmitKey).value_or(u"");
  autoSubmit_ = !flag.empty() && flag[0] == u'1';
  ApplyItemSort();
}

bool FormManager::Change(const std::function<void(IniDocument&)>& edit) {
  FormDataFile f(path_);
  if (!f.Load()) return false;
  edit(f.doc());
  return f.Save();
}

bool FormManager::EditItem(int row, u16view text) {
  if (selected_ < 0 || row < 0 || row >= int(items_.size())) return false;
  const u16& section = sections_[size_t(selected_)];
  u16 name = Trim(items_[size_t(row)].name);
  if (!Change([&](IniDocument& d) { d.Set(section, name, text); })) return false;
  items_[size_t(row)].value = u16(text);
  return true;
}

bool FormManager::DeleteSection() {
  if (selected_ < 0) return false;
  const u16 section = sections_[size_t(selected_)];
  if (!Change([&](IniDocument& d) { d.RemoveSection(section); })) return false;
  sections_.erase(sections_.begin() + selected_);
  int next = std::min(selected_, int(sections_.size()) - 1);
  Select(next);
  return true;
}

void FormManager::DeleteAll() {
  if (hooks_.deleteAll) hooks_.deleteAll();
  sections_.clear();
  Select(-1);
}

void FormManager::SetMasterPassword(u16view typed) {
  if (hooks_.setMaster) hooks_.setMaster(EncodePassword(typed));
}

bool FormManager::SetFillPassword(u16view typed) {
  if (selected_ < 0) return false;
  const u16& section = sections_[size_t(selected_)];
  u16 encoded = EncodePassword(typed);
  return Change([&](IniDocument& d) { d.Set(section, kFillPasswordKey, encoded); });
}

bool FormManager::SetAutoSubmit(bool on) {
  if (selected_ < 0) return false;
  const u16& section = sections_[size_t(selected_)];
  if (!Change([&](IniDocument& d) { d.Set(section, kAutoSubmitKey, on ? u"1" : u"0"); }))
    return false;
  autoSubmit_ = on;
  return true;
}

void FormManager::SortSections(int column) {
  int chosenRow = selected_;
  sectionSort_.Click(column);
  // Keep the same section chosen: sort row numbers, not names alone.
  std::vector<std::pair<u16, int>> rows;
  for (size_t i = 0; i < sections_.size(); ++i) rows.emplace_back(sections_[i], int(i));
  SortRows(rows, sectionSort_, [](const std::pair<u16, int>& r) { return r.first; });
  for (size_t i = 0; i < rows.size(); ++i) {
    sections_[i] = rows[i].first;
    if (rows[i].second == chosenRow) selected_ = int(i);
  }
}

void FormManager::SortItems(int column) {
  itemSort_.Click(column);
  ApplyItemSort();
}

void FormManager::ApplyItemSort() {
  int column = itemSort_.column;
  SortRows(items_, itemSort_,
           [column](const ListedItem& i) { return column == 1 ? i.value : i.name; });
}

}  // namespace zel

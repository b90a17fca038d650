#include "collector/collector_controller.h"

#include <ctime>

#include "base/commands.h"
#include "base/files.h"
#include "filters/filters_controller.h"
#include "platform/key_state.h"
#include "platform/prompt_port.h"
#include "settings/frame_settings.h"
#include "settings/settings_file.h"
#include "view/child_frame.h"

namespace zel {

namespace {
StampTime SystemNow() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return {tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}
constexpr char16_t kNotAnAddress[] = u"不是有效的地址!";
}  // namespace

CollectorController::CollectorController(const FrameServices& services,
                                         FiltersController& filters, Frame frame)
    : s_(services), filters_(filters), frame_(std::move(frame)) {
  if (!frame_.now) frame_.now = SystemNow;
  RegisterCommands();
}

CollectorController::~CollectorController() = default;

std::string CollectorController::StorePath(CollectorStore store) const {
  return SettingsFile::ResolvePath(FromUtf8(StoreFileName(store)));
}

u16 CollectorController::StoreText(CollectorStore store) const {
  if (view_ && view_->Created()) return view_->StoreText(store);
  return LoadStoreFile(StorePath(store));
}

void CollectorController::OnDeferredStartup() {
  auto on = [](const char16_t* key) { return ReadConfigInt(u"COLLECTSET", key) != 0; };
  switches_.stamps = on(u"stamp");
  switches_.atEnd = on(u"toend");
  const char16_t* kinds[] = {u"kind11", u"kind12", u"kind13", u"kind14", u"kind15"};
  for (int i = 0; i < 5; ++i) switches_.kinds[i] = on(kinds[i]);
  switches_.clearOutputAtExit = on(u"clearexit");
  switches_.alpha = ReadConfigInt(u"COLLECTSET", u"alpha");
}

void CollectorController::CollectRecord(u16view text, int kind) {
  if (closed_) return;
  if (KindHasSwitch(kind) && !switches_.kinds[kind - 11]) return;
  u16 stamp = switches_.stamps ? RecordStamp(frame_.now()) : u16();
  u16 record = LayOutRecord(text, kind, stamp);
  CollectorStore store = StoreOfKind(kind);
  if (store == CollectorStore::Output) s_.tabs.SetStatusText(Trim(record));
  if (view_ && view_->Created()) {
    view_->ShowStore(store);
    if (view_->StoreLength(store) < kStoreLimit) {
      view_->InsertAtCaret(store, record, switches_.atEnd);
    } else if (s_.prompts) {
      s_.prompts->Message(FullStoreMessage(kind == 0 ? 0 : 1));
    }
    return;
  }
  // Without the pane the record goes straight to the file, so nothing is lost.
  std::string path = StorePath(store);
  CreateFolderLevels(DirName(path));
  if (!AppendStoreFile(path, record)) s_.tabs.SetStatusText(u"收集器文件无法写入: " +
                                                             FromUtf8(BaseName(path)));
}

void CollectorController::TogglePane() {
  if (!view_) return;
  if (view_->Created() && view_->Visible()) {
    view_->Hide();
    SaveStores();
    return;
  }
  if (!view_->Created()) {
    view_->Create(360, 300, 400, 220);
    for (CollectorStore store : kAllStores) view_->SetStoreText(store, LoadStoreFile(StorePath(store)));
    view_->ShowStore(CollectorStore::Text);
  }
  view_->Show();
}

void CollectorController::SaveStores() {
  if (!view_ || !view_->Created()) return;
  for (CollectorStore store : kAllStores) {
    std::string path = StorePath(store);
    CreateFolderLevels(DirName(path));
    // A failed write leaves the file as it was.
    if (!SaveStoreFile(path, view_->StoreText(store)))
      s_.tabs.SetStatusText(u"收集器文件无法写入: " + FromUtf8(BaseName(path)));
  }
}

void CollectorController::OnPaneClosed() { SaveStores(); }

void CollectorController::OnShutdown() {
  if (closed_) return;
  if (view_ && view_->Created()) {
    if (switches_.clearOutputAtExit) view_->SetStoreText(CollectorStore::Output, u"");
    SaveStores();
    view_->Hide();
  } else if (switches_.clearOutputAtExit) {
    SaveStoreFile(StorePath(CollectorStore::Output), u"");
  }
  closed_ = true;
}

void CollectorController::ShowStore(CollectorStore store) {
  if (view_ && view_->Created()) view_->ShowStore(store);
}

void CollectorController::Open(u16view address) {
  if (OpensFromCollector(address)) {
    s_.tabs.OpenUrl(address, {.tab = TabChoice::ReuseBlank, .start = StartKind::Address,
                              .show = s_.settings.activateNewTabs});
  } else if (s_.prompts) {
    s_.prompts->Message(kNotAnAddress);
  }
}

void CollectorController::OpenLine() {
  if (!view_ || !view_->Created()) return;
  size_t column = 0;
  u16 line = view_->CaretLine(&column);
  Open(AddressOnLine(line, column));
}

void CollectorController::OpenSelection() {
  if (!view_ || !view_->Created()) return;
  u16 selection = view_->Selection();
  if (selection.empty()) {
    if (s_.prompts) s_.prompts->Message(u"请在收集器中选择文本!");
    return;
  }
  Open(Trim(selection));
}

void CollectorController::RunSelectedScript() {
  if (!view_ || !view_->Created()) return;
  u16 selection =
      view_->ShownStore() == CollectorStore::Script ? view_->Selection() : u16();
  if (selection.empty()) {
    if (s_.prompts) s_.prompts->Message(u"请先在脚本收集器中选择脚本!");
    return;
  }
  // The runner takes the active tab, or every tab with Ctrl and Shift held.
  filters_.RunScriptElement(selection);
}

void CollectorController::SaveShownStore() {
  if (!view_ || !view_->Created() || !s_.prompts) return;
  u16 text = view_->StoreText(view_->ShownStore());
  if (text.empty()) return;
  auto path = s_.prompts->AskSaveFile(u"", u"txt", u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*||");
  if (!path) return;
  // The system code page here is UTF-8.
  if (!WriteFileAtomic(ToUtf8(*path), ToUtf8(text))) s_.prompts->Message(u"无法保存文件!");
}

void CollectorController::ClearShownStore() {
  if (!view_ || !view_->Created() || !s_.prompts) return;
  if (!s_.prompts->AskYesNo(u"您真的要清除收集器吗?")) return;
  CollectorStore store = view_->ShownStore();
  view_->SetStoreText(store, u"");
  if (store == CollectorStore::Output) filters_.lists().blockedPopupCount = 0;
}

void CollectorController::ToggleTransparency() {
  if (!view_ || !view_->Created() || switches_.alpha >= 255) return;
  transparent_ = !transparent_;
  view_->SetAlpha(transparent_ ? std::max(switches_.alpha, 0) : 255);
}

void CollectorController::OnTextDropped(u16view source, u16view text) {
  u16 t(text.substr(0, 1000));
  CollectRecord(DroppedTextRecord(source, t), 0);
}

void CollectorController::OnImageDropped(u16view address, const std::string& bytes,
                                         u16view source) {
  std::string folder = ToUtf8(frame_.imageFolder ? frame_.imageFolder() : u16());
  std::string name = DroppedImageName(address);
  ImageSaveResult r = SaveDroppedImage(folder, name, bytes);
  switch (r.kind) {
    case ImageSaveResult::Exists:
      s_.tabs.SetStatusText(u"文件已存在 =>" + FromUtf8(name));
      break;
    case ImageSaveResult::Saved:
      CollectRecord(u"文件已保存 =>" + FromUtf8(r.path) + u" <= " + u16(source), 1);
      break;
    case ImageSaveResult::Failed:
      s_.tabs.SetStatusText(u"无法保存图片: " + FromUtf8(name));
      break;
  }
}

void CollectorController::OnOtherDropped() { s_.tabs.SetStatusText(u"非可拖放图片或图片未显示!"); }

void CollectorController::RegisterCommands() {
  CommandRegistry& c = s_.commands;
  c.Add(cmd::kCollectorPane, [this] { TogglePane(); })
      .Checked([this] { return view_ && view_->Created() && view_->Visible(); });
  struct StoreCommand {
    int id;
    CollectorStore store;
  };
  for (StoreCommand sc : {StoreCommand{cmd::kCollectorText, CollectorStore::Text},
                          StoreCommand{cmd::kCollectorOutput, CollectorStore::Output},
                          StoreCommand{cmd::kCollectorScript, CollectorStore::Script}})
    c.Add(sc.id, [this, sc] { ShowStore(sc.store); }).Checked([this, sc] {
      return view_ && view_->Created() && view_->ShownStore() == sc.store;
    });
  c.Add(cmd::kCollectorSave, [this] { SaveShownStore(); });
  c.Add(cmd::kCollectorClear, [this] { ClearShownStore(); });
  c.Add(cmd::kCollectorTransparent, [this] { ToggleTransparency(); })
      .Checked([this] { return transparent_; })
      .Enabled([this] { return switches_.alpha < 255; });
  c.Add(cmd::kCollectorRunScript, [this] { RunSelectedScript(); });
  c.Add(cmd::kCollectorOpenSelection, [this] { OpenSelection(); });
  c.Add(cmd::kCollectorOpenLine, [this] { OpenLine(); });
  // The page menus' "添加到收集器".
  c.Add(cmd::kCollectLinkContext, [this] {
    CollectRecord(frame_.contextText() + u" => " + frame_.contextAddress() + u"\r\n", 0);
  });
  c.Add(cmd::kCollectTextContext, [this] { CollectRecord(frame_.contextText() + u"\r\n", 0); });
}

}  // namespace zel

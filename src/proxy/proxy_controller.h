// The proxy manager: the categories of proxy.ini, the current choice (PROXYSET), the
// system proxy, the engine's process-wide proxy, the per-tab web proxy and their commands.
#pragma once

#include <memory>

#include "proxy/proxy_dialog_model.h"
#include "proxy/proxy_list.h"
#include "proxy/system_proxy.h"
#include "services/frame_controller.h"
#include "services/frame_services.h"
#include "view/engine_port.h"

namespace zel {

class ProxyDialogsView;

inline constexpr char16_t kChooseProxyFirst[] = u"请在启用前先选择一个代理服务器!";        // 138
inline constexpr char16_t kProxyRefused[] = u"设置代理服务器失败. 请通过 Internet 选项重试一次.";  // 139
inline constexpr char16_t kNoSystemProxy[] = u"IE 代理服务器未设置!";                    // 140
inline constexpr char16_t kChooseWebProxyFirst[] = u"请在启用前先选择一个代理!";          // 157
// After an import: the entries taken and the lines left out.
inline constexpr char16_t kImportReport[] = u"导入了 %d 个代理, 跳过了 %d 行.";
inline constexpr char16_t kProxyListFilter[] = u"文本文件(*.txt)|*.txt|所有文件(*.*)|*.*||";

class ProxyController : public FrameController {
 public:
  explicit ProxyController(const FrameServices& services);
  ~ProxyController() override;

  // The dialogs (the window's); without them the dialog commands do nothing.
  void SetDialogs(ProxyDialogsView* dialogs) { dialogs_ = dialogs; }

  ProxyList& list() { return list_; }
  bool dirty() const { return dirty_; }
  void LoadProxies();
  // Writes proxy.ini now and clears the dirty flag (when the file could be written).
  void SaveProxies();
  // The system proxy as read at start-up (SetSystemProxy replaces it, for a profile test).
  void LoadSystemProxy();
  void SetSystemProxy(SystemProxy p) { system_ = std::move(p); }
  const SystemProxy& systemProxy() const { return system_; }
  // The current choice to the engine; false when nothing could be applied (138, 139).
  bool ApplyProxy();
  // The proxy the engine was last given: HTTP of our own (icons, updates) uses the same.
  const EngineProxy& appliedProxy() const { return applied_; }

  // The commands.
  void ToggleProxy();        // 858
  void ToggleSystemProxy();  // 1042
  bool systemProxyOn() const;
  void ShowProxyDialog();    // 859
  void ToggleWebProxy();     // 860
  void ImportProxyList();    // 1155
  void ExportProxyList();    // 1156
  // Takes a confirmed dialog state (steps after OK), so tests can drive it without widgets.
  void ApplyDialog(const ProxyDialogState& state);
  // The state the dialog opens with.
  ProxyDialogState DialogState() const;

  void OnSettingsLoaded() override;
  void OnDeferredStartup() override { LoadProxies(); }
  void OnShutdown() override;

 private:
  void RegisterCommands();
  // The save after the dialog or an import: a copy taken at the next idle moment of the
  // main loop, written by a worker.
  void RequestSave();
  u16 HostName() const;
  // The engine takes p (and our own HTTP with it); false when it refused.
  bool SetEngineProxy(const EngineProxy& p);

  FrameServices s_;
  ProxyDialogsView* dialogs_ = nullptr;
  ProxyList list_;
  SystemProxy system_;
  // The engine's proxy now, and the choice it was made of while it is a custom one.
  EngineProxy applied_{.mode = EngineProxy::Mode::Direct};
  struct Choice {
    u16 curpro, proname, exception;
  } appliedChoice_;
  bool dirty_ = false;
  bool fileUnreadable_ = false;
  bool savePosted_ = false;
  uint64_t generation_ = 0;  // of the lists' saves, the last one asked for
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zel

// Command ids and private window messages. Menus, toolbars, accelerators, gestures and
// drags all end in CMainFrame::OnCommand with one of these ids.
#pragma once

namespace zel::cmd {

// File
inline constexpr int kExit = 57665;

}  // namespace zel::cmd

namespace zel::msg {

inline constexpr int kViewStart = 1104;
inline constexpr int kHandOff = 5120;
inline constexpr int kRefreshToolbars = 5122;
inline constexpr int kRefreshTabTexts = 5123;
inline constexpr int kActivateChild = 5125;
inline constexpr int kDeferredStartup = 5126;
inline constexpr int kApplyTabSelection = 5127;

}  // namespace zel::msg

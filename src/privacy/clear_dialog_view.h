// The "全部清除" dialog as the privacy controller sees it (GTK: privacy/gtk/).
#pragma once

#include <array>
#include <optional>

namespace zel {

// The seven kinds of traces, in the order they are cleared.
enum class Trace { TemporaryFiles, Cookies, FormData, History, TypedAddresses, Keywords,
                   ClosedPages };
inline constexpr int kTraceKinds = 7;
using TraceChoice = std::array<bool, kTraceKinds>;

class ClearDialogView {
 public:
  virtual ~ClearDialogView() = default;
  // Shows the dialog with every box unchecked; the checked kinds after "立即清除", nothing
  // after "关闭".
  virtual std::optional<TraceChoice> AskTraces() = 0;
};

}  // namespace zel

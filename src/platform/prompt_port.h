// Message boxes and small input dialogs. Texts are the system's own; the caption is the
// application title unless given.
#pragma once

#include <optional>

#include "base/text.h"

namespace zel {

inline constexpr char16_t kAppTitle[] = u"Zel浏览器";

enum class PromptIcon { None, Info, Question, Warning, Error };

// The answer buttons of a question: "是"/"否", or "确认"/"取消" for a text that asks for
// the confirm button.
enum class AnswerLabels { YesNo, ConfirmCancel };

class PromptPort {
 public:
  virtual ~PromptPort() = default;
  virtual void Message(u16view text, u16view caption = kAppTitle,
                       PromptIcon icon = PromptIcon::None) = 0;
  // Yes/No question: true for Yes.
  virtual bool AskYesNo(u16view text, u16view caption = kAppTitle,
                        PromptIcon icon = PromptIcon::Question,
                        AnswerLabels labels = AnswerLabels::YesNo) = 0;
  // A one-line input; nullopt when cancelled. secret hides what is typed.
  virtual std::optional<u16> AskText(u16view prompt, u16view caption, u16view initial,
                                     bool secret) = 0;
  // A multi-line input (the edit box may hold line breaks); nullopt when cancelled.
  virtual std::optional<u16> AskLongText(u16view prompt, u16view caption, u16view initial) {
    return AskText(prompt, caption, initial, false);
  }
  // A save dialog proposing name; filter is "label|pattern|label|pattern||". Asks before
  // an existing file is replaced. The chosen path, or nullopt when cancelled.
  virtual std::optional<u16> AskSaveFile(u16view name, u16view defaultExtension,
                                         u16view filter) = 0;
};

}  // namespace zel

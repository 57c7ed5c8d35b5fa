#pragma once
// The questions to the user asked with Qt's standard dialogs: file boxes, message and yes/no boxes, input
// boxes and the colour picker. Each dialog is modal to the active window.

#include "platform/user_prompts.h"

namespace tabulo {

class QtPrompts : public UserPrompts {
 public:
  std::optional<std::string> OpenFileName(const std::string& title, const std::string& pattern) override;
  std::optional<std::string> SaveFileName(const std::string& title, const std::string& pattern) override;
  void Message(const std::string& text, const std::string& title = {}) override;
  bool YesNo(const std::string& text, const std::string& title = {}) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                   const std::string& default_text) override;
  std::optional<int32_t> Colour(int32_t initial) override;
};

}  // namespace tabulo

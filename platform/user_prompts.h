#pragma once
// Every question a program asks its user: file names to open or save, yes/no, messages, input boxes and the
// colour picker. Core code asks through this interface only, so that the windows answer with real dialogs,
// tests answer from a script and the command line answers from its options, all through the same code.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tabulo {

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  // A file to open or to save under; `pattern` is a file pattern such as "*.TB1". Nothing when cancelled.
  virtual std::optional<std::string> OpenFileName(const std::string& title, const std::string& pattern) = 0;
  virtual std::optional<std::string> SaveFileName(const std::string& title, const std::string& pattern) = 0;
  // A message the user acknowledges.
  virtual void Message(const std::string& text, const std::string& title = {}) = 0;
  // A yes/no question; true for yes.
  virtual bool YesNo(const std::string& text, const std::string& title = {}) = 0;
  // An input box with a default answer. Cancel answers "", as an input box always did; callers that must
  // tell the two apart compare with nothing.
  virtual std::optional<std::string> Input(const std::string& prompt, const std::string& title,
                                           const std::string& default_text) = 0;
  // The colour picker, starting at `initial`; colours are Windows RGB values (red in the low byte). Nothing
  // when cancelled.
  virtual std::optional<int32_t> Colour(int32_t initial) = 0;
};

// Answers given in advance, for tests and for the command line. Each question takes the next answer of its
// kind; a question with no answer left is cancelled (yes/no answers no). Everything asked is recorded.
class ScriptedPrompts : public UserPrompts {
 public:
  std::deque<std::optional<std::string>> file_names;
  std::deque<bool> yes_no;
  std::deque<std::optional<std::string>> inputs;
  std::deque<std::optional<int32_t>> colours;

  std::vector<std::string> messages;   // texts of the messages shown, in order
  std::vector<std::string> questions;  // titles and prompts of every other question, in order

  std::optional<std::string> OpenFileName(const std::string& title, const std::string& pattern) override {
    questions.push_back("open " + title + " " + pattern);
    return Next(file_names);
  }
  std::optional<std::string> SaveFileName(const std::string& title, const std::string& pattern) override {
    questions.push_back("save " + title + " " + pattern);
    return Next(file_names);
  }
  void Message(const std::string& text, const std::string& /*title*/) override { messages.push_back(text); }
  bool YesNo(const std::string& text, const std::string& /*title*/) override {
    questions.push_back(text);
    if (yes_no.empty()) return false;
    bool answer = yes_no.front();
    yes_no.pop_front();
    return answer;
  }
  std::optional<std::string> Input(const std::string& prompt, const std::string& /*title*/,
                                   const std::string& default_text) override {
    questions.push_back(prompt);
    defaults.push_back(default_text);
    return Next(inputs);
  }
  std::optional<int32_t> Colour(int32_t /*initial*/) override {
    questions.push_back("colour");
    return Next(colours);
  }

  std::vector<std::string> defaults;  // default answers offered by the input boxes, in order

 private:
  template <class T>
  static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace tabulo

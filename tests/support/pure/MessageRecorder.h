#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/base/MessageBox.h"

// Records every message box shown while it lives and answers it, so no test
// waits on a modal box: with the scripted answers in turn, then with OK.
class MessageRecorder {
 public:
  struct Message {
    std::string text;
    int32_t style;
    std::string title;
  };

  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<Message>& Messages() const { return messages_; }
  void Clear() { messages_.clear(); }
  // The next box shown is closed with this button.
  void Answer(int32_t button) { answers_.push_back(button); }

 private:
  std::vector<Message> messages_;
  std::deque<int32_t> answers_;
  platform::MessageBox::Presenter previous_;
};

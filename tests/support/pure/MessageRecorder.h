#pragma once

#include <string>
#include <vector>

#include "platform/base/MessageBox.h"

// Records every message box shown while it lives and answers OK, so no test
// waits on a modal box.
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

 private:
  std::vector<Message> messages_;
  platform::MessageBox::Presenter previous_;
};

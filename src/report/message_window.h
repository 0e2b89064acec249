// The window the message log writes into: the messages window of the user
// interface, which also runs the message pump.
#pragma once

#include <string_view>

namespace quorvel {

class MessageWindow {
 public:
  virtual ~MessageWindow() = default;
  // Appends text (line ends already CR LF) to the messages window.
  virtual void appendMessagesText(std::string_view windowText) = 0;
  // Processes pending window messages; false when a quit message arrived.
  virtual bool pumpMessages() = 0;
};

}  // namespace quorvel

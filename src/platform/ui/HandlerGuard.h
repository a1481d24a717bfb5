#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>

namespace platform {

// Runs an event handler so that no error leaves it: Qt's event loop can't
// carry exceptions, and no handler may end the program. An error is reported
// in a message box titled with the application title.
class HandlerGuard {
 public:
  static void Run(const std::function<void()>& handler);

  // A slot for connect(): runs the handler under Run, with the signal's
  // arguments when it takes them, else with none.
  template <class Handler>
  static auto Wrap(Handler handler) {
    return [handler = std::move(handler)](auto&&... args) {
      Run([&] {
        if constexpr (std::is_invocable_v<const Handler&, decltype(args)...>) {
          handler(std::forward<decltype(args)>(args)...);
        } else {
          handler();
        }
      });
    };
  }

  static void Report(int number, const std::string& description);
};

}  // namespace platform

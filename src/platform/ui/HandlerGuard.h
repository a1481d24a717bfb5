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
      Run([&] { Call(handler, std::forward<decltype(args)>(args)...); });
    };
  }

  static void Report(int number, const std::string& description);

 private:
  // Both calls stay dependent on the arguments here, so a compiler that
  // checks non-dependent calls early never sees the one not taken.
  template <class Handler, class... Args>
  static void Call(const Handler& handler, Args&&... args) {
    if constexpr (std::is_invocable_v<const Handler&, Args...>) {
      handler(std::forward<Args>(args)...);
    } else {
      handler();
    }
  }
};

}  // namespace platform

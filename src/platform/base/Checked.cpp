#include "platform/base/Checked.h"

namespace checked {

int32_t Div(int32_t a, int32_t b) {
  if (b == 0) throw platform::AppError::WithDescription(11, "Division by zero");
  if (a == INT32_MIN && b == -1) throw platform::AppError::Standard(platform::ErrorNumber::Overflow);
  return a / b;
}

}  // namespace checked

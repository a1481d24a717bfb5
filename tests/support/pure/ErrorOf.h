#pragma once

#include <cstdint>

#include "platform/base/AppError.h"

// The number of the error the call raises, or 0 when it raises none.
template <class Call>
int32_t ErrorOf(Call&& call) {
  try {
    call();
  } catch (const platform::AppError& e) {
    return e.Number();
  }
  return 0;
}

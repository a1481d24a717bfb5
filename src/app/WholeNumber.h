#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/base/AppError.h"
#include "platform/base/Convert.h"

// A size box or label read as a whole number, when it holds one.
inline std::optional<int32_t> WholeNumber(const std::string& text) {
  if (!convert::IsNumeric(text)) return std::nullopt;
  try {
    return convert::TextToInt32(text);
  } catch (const platform::AppError&) {
    return std::nullopt;
  }
}

#include "imaging/ByteView.h"

#include "platform/base/AppError.h"

void RaiseOutOfRange() { throw platform::AppError::Standard(platform::ErrorNumber::SubscriptOutOfRange); }

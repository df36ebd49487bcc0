// SPDX-License-Identifier: MIT
#include "scan/messages.h"

#include <cstring>

const char* systemReason(int error) {
  const char* reason = ::strerrordesc_np(error);
  return reason != nullptr ? reason : messages::unknownSystemError;
}

// The layer's failure: a window or dialog that could not be made.
#pragma once

#include <stdexcept>

class TXWindow : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

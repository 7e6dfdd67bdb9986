// Operations that run "with errors ignored": each step either happens or is
// skipped, and the operation goes on with the next step. A step reports that
// it could not be carried out by returning false; nothing is shown.
#pragma once

#include <type_traits>

namespace varominea {

class IgnoringErrors {
 public:
  // Runs one step. A step that returns void always counts as done.
  template <typename Step>
  IgnoringErrors& operator()(Step&& step) {
    if constexpr (std::is_void_v<decltype(step())>) {
      step();
    } else if (!static_cast<bool>(step())) {
      ++skipped_;
    }
    return *this;
  }
  int skipped() const { return skipped_; }

 private:
  int skipped_ = 0;
};

}  // namespace varominea

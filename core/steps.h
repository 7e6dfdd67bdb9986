// Operations that run "with errors ignored": each step either happens or is
// skipped, and the operation goes on with the next step. A step says that it
// could not be carried out by returning false; nothing is shown.
#pragma once

namespace varominea {

class IgnoringErrors {
 public:
  // Runs one step; whether it was carried out changes nothing after it.
  template <typename Step>
  IgnoringErrors& operator()(Step&& step) {
    static_cast<void>(step());
    return *this;
  }
};

}  // namespace varominea

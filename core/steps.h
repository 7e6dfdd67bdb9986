// Operations that run "with errors ignored": the operation is a row of
// steps, and a step that cannot be carried out is skipped. It returns early
// and leaves what it would have changed as it was, and the operation goes on
// with the next step. Nothing is shown and nothing is reported, so a step
// returns no value.
#pragma once

#include <type_traits>

namespace varominea {

class IgnoringErrors {
 public:
  template <typename Step>
  IgnoringErrors& operator()(Step&& step) {
    static_assert(std::is_void_v<std::invoke_result_t<Step&>>,
                  "a step reports nothing: one that cannot be carried out just returns");
    step();
    return *this;
  }
};

}  // namespace varominea

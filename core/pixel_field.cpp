#include "core/pixel_field.h"

#include <new>

namespace varominea {

std::unique_ptr<ByteField> ByteField::Allocate() {
  // The member initialiser zero-fills the bytes; std::nothrow turns a failed
  // allocation into nullptr instead of an exception.
  return std::unique_ptr<ByteField>(new (std::nothrow) ByteField());
}

}  // namespace varominea

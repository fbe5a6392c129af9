#include "exceptions.h"

#include "text_convert.h"

namespace tk {

Exception::Exception(std::wstring message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

}  // namespace tk

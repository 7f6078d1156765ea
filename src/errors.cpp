#include "errors.h"

#include <iostream>

void ShowError(const char* msg) { std::cerr << msg << std::endl; }

namespace {

const char* detailedmessage = nullptr;
ErrorDetail lastdetail;

}  // namespace

void throwfileerror(const char* message, const std::string& file, const std::string& what) {
  detailedmessage = message;
  lastdetail = {file, what};
  throw message;
}

ErrorDetail errordetail(const char* message) {
  return message == detailedmessage ? lastdetail : ErrorDetail{};
}

// Error.h — the one error type: a file (or subject) and the reason it was refused.
#pragma once

#include <stdexcept>
#include <string>

class TFileError : public std::runtime_error {
public:
  TFileError(std::string file, std::string reason)
      : std::runtime_error(file + ": " + reason), File(std::move(file)), Reason(std::move(reason)) {}

  std::string File;
  std::string Reason;
};

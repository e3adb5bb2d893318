// The one error type of both programs: low-level code throws it, main prints it as one line on stderr.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

class run_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] inline void fail(const std::string& message) { throw run_error(message); }

// "file:line: message", the form of every complaint about input content.
[[noreturn]] inline void fail_at(std::string_view file, std::size_t line, const std::string& message) {
  std::string text(file);
  text += ':';
  text += std::to_string(line);
  text += ": ";
  text += message;
  throw run_error(text);
}

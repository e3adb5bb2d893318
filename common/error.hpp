// The one error type of the programs: low-level code throws it, main prints it as one line on stderr.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

class run_error : public std::runtime_error {
 public:
  explicit run_error(const std::string& message, int system_error = 0)
      : std::runtime_error(message), system_error_(system_error) {}
  // The errno of the failed system call behind the error, or 0: lets the Python module raise the matching
  // OSError (FileNotFoundError, PermissionError, ...).
  int system_error() const { return system_error_; }

 private:
  int system_error_;
};

// Text from outside as a message may show it: bytes outside printable ASCII escaped (\t, \n, \r, \xNN), a
// backslash doubled, and at most max_chars characters of the result, then "...". Keeps every message one
// readable line whatever the input holds.
std::string printable(std::string_view text, std::size_t max_chars = 60);

// A file name as a message shows it: printable, and long paths kept whole within reason.
inline std::string file_name(std::string_view name) { return printable(name, 240); }

// A command line that cannot be run: main prints the reason and the usage on stderr, and exits 1.
class usage_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The start of a program with options: parses the command line with parse; on usage_error prints
// "program: reason", the usage and a pointer to --help on stderr and returns 1; answers --help (usage, then help)
// and --version (the version line) on stdout and returns 0; returns -1 when the run goes on.
template <class Options, class Parse>
int answer_command_line(const char* program, const char* usage, const char* help, const std::string& version,
                        Parse&& parse, Options& options) {
  try {
    options = parse();
  } catch (const usage_error& e) {
    std::fprintf(stderr, "%s: %s\n%sTry '%s --help' for more information.\n", program, e.what(), usage, program);
    return 1;
  }
  if (options.show_help) {
    std::printf("%s\n%s", usage, help);
    return 0;
  }
  if (options.show_version) {
    std::printf("%s %s\n", program, version.c_str());
    return 0;
  }
  return -1;
}

[[noreturn]] inline void fail(const std::string& message) { throw run_error(message); }

// "what: the system's reason", for a failed system call.
[[noreturn]] inline void fail_system(const std::string& what, int error_number) {
  throw run_error(what + ": " + std::strerror(error_number), error_number);
}

// "file:line: message", the form of every complaint about input content.
[[noreturn]] inline void fail_at(std::string_view file, std::size_t line, const std::string& message) {
  std::string text = file_name(file);
  text += ':';
  text += std::to_string(line);
  text += ": ";
  text += message;
  throw run_error(text);
}

// "1 field", "3 fields": a count of fields as a message gives it.
inline std::string fields_found(std::size_t n) { return std::to_string(n) + (n == 1 ? " field" : " fields"); }

// A field as a message quotes it, 'nan': printable, without the carriage return or blanks that may end a line.
inline std::string quoted(std::string_view field) {
  while (!field.empty() && (field.back() == '\r' || field.back() == ' ')) field.remove_suffix(1);
  return "'" + printable(field) + "'";
}

// Runs a program's work and returns its exit status: 0, or 2 after one line on stderr, "program: message",
// for a run_error or exhausted memory (with out_of_memory_hint after the message, when there is one).
template <class Work>
int run_reporting_errors(const char* program, const char* out_of_memory_hint, Work&& work) {
  try {
    work();
    return 0;
  } catch (const run_error& e) {
    std::fprintf(stderr, "%s: %s\n", program, e.what());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "%s: out of memory%s\n", program, out_of_memory_hint);
  } catch (const std::length_error&) {
    std::fprintf(stderr, "%s: out of memory%s\n", program, out_of_memory_hint);
  }
  return 2;
}

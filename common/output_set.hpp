// The files and folders of one run, written aside and put in place together at its end: a run that fails
// before then leaves every path as it was, and each path is either as it was or complete and new.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "whole_file.hpp"

class output_set {
 public:
  output_set() = default;
  // Removes whatever was not put in place.
  ~output_set();
  output_set(const output_set&) = delete;
  output_set& operator=(const output_set&) = delete;

  // A file of the run, created aside now beside its target (a device or a held descriptor is opened now and
  // written in place, as file_in_parts does). Throws run_error "cannot create PATH: reason".
  file_in_parts& file(const std::string& path);
  // A folder of the run: a fresh empty folder beside path's target (links followed), whose path is returned for
  // the run to fill. At commit it takes path's place; where path is already a folder, each of the fresh
  // folder's entries replaces the one of its name, and the pair folders ("*_vs_*") and tables it did not write
  // go, while other files there (a workflow's logs) stay.
  std::string folder(const std::string& path);
  // Closes every file, reporting a late write error before anything moves, then puts the folders and the
  // files in place, in the order they were asked for.
  void commit();

 private:
  struct staged_folder {
    std::string shown, target, fresh;
    bool placed = false;
  };
  std::vector<std::unique_ptr<file_in_parts>> files_;
  std::vector<staged_folder> folders_;
};

// Removes path and everything under it without following links; errors are ignored (for temporary folders).
void remove_tree(const std::string& path);

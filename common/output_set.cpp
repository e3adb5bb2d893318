#include "output_set.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "error.hpp"
#include "output_path.hpp"

namespace {

int remove_entry(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;
}

std::vector<std::string> entries_of(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) fail_system("cannot read " + file_name(folder), errno);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// What a run of pairscan writes in its folder: pair folders and tables, so a stale one goes with the rest.
bool written_by_a_run(const std::string& name) {
  return name.find("_vs_") != std::string::npos || name == "summary.tsv" || name == "kinds.tsv";
}

// Puts from in place of to, keeping what to was at from (to be removed with the fresh folder).
void exchange(const std::string& from, const std::string& to, const std::string& shown) {
  if (!exists(to)) {
    if (std::rename(from.c_str(), to.c_str()) != 0) fail_system("cannot create " + file_name(shown), errno);
    return;
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_EXCHANGE) == 0) return;
  // A file system without the atomic exchange: the old entry is moved aside first, then the new one in.
  const std::string aside = from + ".old";
  if (std::rename(to.c_str(), aside.c_str()) != 0 || std::rename(from.c_str(), to.c_str()) != 0)
    fail_system("cannot replace " + file_name(shown), errno);
}

}  // namespace

void remove_tree(const std::string& path) { ::nftw(path.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }

output_set::~output_set() {
  for (const staged_folder& f : folders_)
    if (!f.placed) remove_tree(f.fresh);
}

file_in_parts& output_set::file(const std::string& path) {
  files_.push_back(std::make_unique<file_in_parts>(path));
  return *files_.back();
}

std::string output_set::folder(const std::string& path) {
  staged_folder f;
  f.shown = path;
  f.target = resolve_folder(path);
  while (f.target.size() > 1 && f.target.back() == '/') f.target.pop_back();
  // Beside the target, on its file system, so that it can be renamed into place.
  f.fresh = aside_template(f.target);
  if (::mkdtemp(&f.fresh[0]) == nullptr) fail_system("cannot create " + file_name(path), errno);
  folders_.push_back(f);
  return f.fresh;
}

void output_set::commit() {
  for (const auto& file : files_) file->close();
  for (staged_folder& f : folders_) {
    if (!exists(f.target)) {
      // mkdtemp made it private; a new folder gets the permissions a plain mkdir would give it.
      const mode_t mask = ::umask(0);
      ::umask(mask);
      ::chmod(f.fresh.c_str(), 0777 & ~mask);
      if (std::rename(f.fresh.c_str(), f.target.c_str()) != 0) fail_system("cannot create " + file_name(f.shown), errno);
      f.placed = true;
      continue;
    }
    const std::vector<std::string> fresh = entries_of(f.fresh);
    // Folders first, the tables that list them last, so that a reader of the summary finds every folder it names.
    std::vector<std::string> order;
    for (const std::string& name : fresh)
      if (name.find("_vs_") != std::string::npos) order.push_back(name);
    for (const std::string& name : fresh)
      if (name.find("_vs_") == std::string::npos) order.push_back(name);
    for (const std::string& name : order) exchange(f.fresh + "/" + name, f.target + "/" + name, f.shown + "/" + name);
    // What an earlier run wrote and this one did not goes with the fresh folder.
    for (const std::string& name : entries_of(f.target))
      if (written_by_a_run(name) && !std::binary_search(fresh.begin(), fresh.end(), name))
        std::rename((f.target + "/" + name).c_str(), (f.fresh + "/" + name).c_str());
  }
  for (const auto& file : files_) file->put_in_place();
  for (staged_folder& f : folders_)
    if (!f.placed) remove_tree(f.fresh), f.placed = true;
}

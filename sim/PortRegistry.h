#pragma once
// Registration of a pseudo-terminal as a virtual serial port: a symbolic link
// NAME -> /dev/pts/N in ${XDG_RUNTIME_DIR:-/tmp}/zolvek-ports/, which the
// program's port list shows as "NAME: Virtual generator (TARGET)".
//
// TPortLink owns its link and removes it when destroyed (only while the link
// still points to its target, so a newer registration under the same name is
// left alone). Not thread-safe; Remove() is idempotent.

#include <string>

namespace sim {

// ${XDG_RUNTIME_DIR:-/tmp}/zolvek-ports
std::string DefaultRegistryDir();

// True for names usable as a link: not empty, no '/', not "." or "..".
bool IsValidPortName(const std::string& name);

class TPortLink {
 public:
  // Creates dir (if needed) and the link dir/name -> target. A stale link
  // (its target is gone) is replaced; a live one makes this throw
  // std::runtime_error, as does an invalid name or a failing file system call.
  TPortLink(const std::string& dir, const std::string& name, const std::string& target);
  ~TPortLink();
  TPortLink(const TPortLink&) = delete;
  TPortLink& operator=(const TPortLink&) = delete;

  const std::string& Path() const { return Path_; }
  void Remove();

 private:
  std::string Path_;
  std::string Target_;
  bool Removed_ = false;
};

}  // namespace sim
